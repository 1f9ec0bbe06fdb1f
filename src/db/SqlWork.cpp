#include "SqlWork.h"

#include "DatabaseThread.h"
#include "pos/TavlixError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>

namespace {

[[noreturn]] void fail(const QSqlQuery &query)
{
    const QString message = query.lastError().text().trimmed();
    throw TavlixError(message.isEmpty() ? QStringLiteral("Database error") : message);
}

// The driver gives up on a statement the server holds longer than this, and the call returns on
// its own instead of leaving a thread and a server session behind.
void setQueryTimeout(const QSqlQuery &query, int seconds)
{
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (seconds <= 0 || !handle.isValid() || handle.metaType() != QMetaType::fromType<SQLHANDLE>())
        return;
    auto statement = *static_cast<SQLHANDLE const *>(handle.data());
    SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
}

void run(QSqlQuery &query, const QString &sql, int timeoutSeconds)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(query);
    setQueryTimeout(query, timeoutSeconds);
    // The statement itself, on the connection's thread, which runs jobs and no event loop: no
    // cycle, build or press can run inside it, and the query timeout bounds it.
    if (!query.exec())
        fail(query);
}

} // namespace

namespace SqlWork {

int toInteger(const QVariant &v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!ok)
        throw TavlixError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return value;
}

QString toText(const QVariant &v)
{
    return v.toString();
}

QDateTime toDateTime(const QVariant &v)
{
    if (v.isNull())
        return {};
    QDateTime t = v.toDateTime();
    if (!t.isValid())
        t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    if (!t.isValid())
        throw TavlixError(QStringLiteral("'%1' is not a valid date and time").arg(v.toString()));
    return t;
}

QByteArray toBytes(const QVariant &v)
{
    return v.toByteArray();
}

int columnIndex(const QSqlRecord &columns, const QString &name)
{
    int index = columns.indexOf(name);
    for (int i = 0; index < 0 && i < columns.count(); ++i) {
        if (columns.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0)
        throw TavlixError(QStringLiteral("Field '%1' not found").arg(name));
    return index;
}

QVariant Rows::field(size_t row, const QString &name) const
{
    if (row >= rows.size())
        throw TavlixError(QStringLiteral("No current row for field '%1'").arg(name));
    return rows[row].value(columnIndex(columns, name));
}

namespace {

// Runs a select and returns its columns, read before the first row: on a row, record() would
// fetch every value of it.
QSqlRecord runSelect(QSqlQuery &query, const QString &sql, int timeoutSeconds)
{
    run(query, sql, timeoutSeconds);
    if (!query.isSelect())
        throw TavlixError(QStringLiteral("The statement returned no rows"));
    return query.record();
}

// The next row's values; false after the last row, and a failed fetch throws.
bool nextRow(QSqlQuery &query, int columns, QVariantList &row)
{
    if (!query.next()) {
        if (query.lastError().isValid())
            fail(query);
        return false;
    }
    row.clear();
    row.reserve(columns);
    for (int i = 0; i < columns; ++i)
        row.append(query.value(i));
    return true;
}

} // namespace

Rows select(DatabaseThread &thread, const QString &sql, int timeoutSeconds)
{
    QSqlQuery query(thread.database());
    Rows out;
    out.columns = runSelect(query, sql, timeoutSeconds);
    for (QVariantList row; nextRow(query, out.columns.count(), row);)
        out.rows.push_back(std::move(row));
    return out;
}

void selectEach(DatabaseThread &thread, const QString &sql, int timeoutSeconds,
                const std::function<void(const Rows &row)> &each)
{
    QSqlQuery query(thread.database());
    Rows current;
    current.columns = runSelect(query, sql, timeoutSeconds);
    current.rows.resize(1);
    while (nextRow(query, current.columns.count(), current.rows.front()))
        each(current);
}

void execute(DatabaseThread &thread, const QString &sql, int timeoutSeconds)
{
    QSqlQuery query(thread.database());
    run(query, sql, timeoutSeconds);
}

} // namespace SqlWork
