#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include <functional>
#include <vector>

class DatabaseThread;

// Statements run inside a job on the connection's own thread, and the conversions of their fields.
// Every failure throws TavlixError with the driver's message. Each statement is given the query
// timeout, so that the driver itself ends a call the server holds up.
namespace SqlWork {

// Fields by name, without regard to case; the conversions the statement objects use too.
int toInteger(const QVariant &value);
QString toText(const QVariant &value);
QDateTime toDateTime(const QVariant &value);
QByteArray toBytes(const QVariant &value);
int columnIndex(const QSqlRecord &columns, const QString &name); // throws when missing

// A whole result, read on the connection's thread.
struct Rows
{
    QSqlRecord columns;
    std::vector<QVariantList> rows;

    QVariant field(size_t row, const QString &name) const;
    int integer(size_t row, const QString &name) const { return toInteger(field(row, name)); }
    QString text(size_t row, const QString &name) const { return toText(field(row, name)); }
    QDateTime dateTime(size_t row, const QString &name) const
    {
        return toDateTime(field(row, name));
    }
    QByteArray bytes(size_t row, const QString &name) const { return toBytes(field(row, name)); }
};

Rows select(DatabaseThread &thread, const QString &sql, int timeoutSeconds);
// The rows one at a time, each handed over as a result of one row and dropped before the next is
// read, so that a result of many pictures never lies in memory whole.
void selectEach(DatabaseThread &thread, const QString &sql, int timeoutSeconds,
                const std::function<void(const Rows &row)> &each);
void execute(DatabaseThread &thread, const QString &sql, int timeoutSeconds);

} // namespace SqlWork
