#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

class TDatabase;

// A statement object: SQL held as lines, joined by line breaks when sent. Every failure throws
// TavlixError with the driver's message.
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

private:
    QVariant field(const QString &name) const;
    QString sentText() const;
    [[noreturn]] void fail() const;

    TDatabase &m_database;
    QStringList m_lines;
    QSqlQuery m_query;
    QSqlRecord m_columns; // the names of the open statement's columns
    bool m_active = false;
    bool m_eof = true;
};
