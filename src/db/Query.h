#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantList>

class TDatabase;

// A statement object: SQL held as lines, joined by line breaks when sent. Every failure throws
// TavlixError with the driver's message. The statement runs on the connection's thread; each
// row is read there whole, and its fields are read from that copy.
class TQuery
{
public:
    explicit TQuery(TDatabase &database);

    void close();
    void clearSql();
    void addLine(const QString &line);
    void setLines(const QStringList &lines);
    QStringList lines() const { return m_lines; }
    // The statement as sent.
    QString text() const;

    // Runs a statement that returns rows and stands on the first row.
    void open();
    bool eof() const { return m_eof; }
    void next();
    // Runs a statement that returns no rows.
    void execSql();

    // Fields by name, without regard to case.
    int fieldAsInteger(const QString &name) const;
    QString fieldAsString(const QString &name) const;
    QDateTime fieldAsDateTime(const QString &name) const;
    QByteArray fieldAsBytes(const QString &name) const;
    QVariant field(const QString &name) const;

private:
    QString sentText() const;
    void fetch(quint64 statement);

    TDatabase &m_database;
    QStringList m_lines;
    quint64 m_statement = 0; // the open statement on the connection's thread; 0 for none
    QSqlRecord m_columns; // the names of the open statement's columns
    QVariantList m_row; // the current row
    bool m_active = false;
    bool m_eof = true;
};
