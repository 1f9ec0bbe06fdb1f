#include "Query.h"

#include "Database.h"
#include "SqlWork.h"
#include "pos/TavlixError.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <memory>

TQuery::TQuery(TDatabase &database)
    : m_database(database)
{
}

void TQuery::close()
{
    if (m_statement && m_database.isOpen()) {
        m_database.post(
            [statement = m_statement](DatabaseThread &t) { t.queries.erase(statement); });
    }
    m_statement = 0;
    m_active = false;
    m_eof = true;
    m_columns = QSqlRecord();
    m_row.clear();
}

void TQuery::clearSql()
{
    m_lines.clear();
}

void TQuery::addLine(const QString &line)
{
    m_lines.append(line);
}

void TQuery::setLines(const QStringList &lines)
{
    m_lines = lines;
}

QString TQuery::text() const
{
    return m_lines.join(QStringLiteral("\r\n"));
}

QString TQuery::sentText() const
{
    return m_database.sqlText(m_lines);
}

namespace {

[[noreturn]] void fail(const QSqlQuery &query)
{
    const QString message = query.lastError().text().trimmed();
    throw TavlixError(message.isEmpty() ? QStringLiteral("Database error") : message);
}

// What a fetch brings back from the connection's thread.
struct Fetched
{
    QSqlRecord columns;
    QVariantList row;
    bool eof = true;
};

// Moves to the next row and copies every field of it, in column order as the driver reads them.
void fetchRow(QSqlQuery &query, Fetched &out)
{
    out.row.clear();
    out.eof = !query.next();
    if (out.eof) {
        if (query.lastError().isValid())
            fail(query);
        return;
    }
    for (int i = 0; i < out.columns.count(); ++i)
        out.row.append(query.value(i));
}

quint64 newStatementNumber()
{
    static std::atomic<quint64> last {0};
    return ++last;
}

} // namespace

void TQuery::open()
{
    close();
    if (!m_database.isOpen())
        throw TavlixError(QStringLiteral("Database is not connected"));
    const QString sql = sentText();
    m_database.noteStatement(sql);
    const quint64 statement = newStatementNumber();
    auto out = std::make_shared<Fetched>();
    m_database.call([statement, out, sql](DatabaseThread &t) {
        auto query = std::make_unique<QSqlQuery>(t.database());
        query->setForwardOnly(true);
        if (!query->exec(sql))
            fail(*query);
        if (!query->isSelect())
            throw TavlixError(QStringLiteral("The statement returned no rows"));
        // Read before the first row: on a row, record() would fetch every value of it.
        out->columns = query->record();
        fetchRow(*query, *out);
        t.queries[statement] = std::move(query);
    });
    m_statement = statement;
    m_active = true;
    m_columns = out->columns;
    m_row = out->row;
    m_eof = out->eof;
}

void TQuery::next()
{
    if (!m_active || m_eof)
        return;
    fetch(m_statement);
}

void TQuery::fetch(quint64 statement)
{
    auto out = std::make_shared<Fetched>();
    out->columns = m_columns;
    m_database.call([statement, out](DatabaseThread &t) {
        const auto found = t.queries.find(statement);
        if (found == t.queries.end())
            throw TavlixError(QStringLiteral("Database is not connected"));
        fetchRow(*found->second, *out);
    });
    m_row = out->row;
    m_eof = out->eof;
}

void TQuery::execSql()
{
    close();
    if (!m_database.isOpen())
        throw TavlixError(QStringLiteral("Database is not connected"));
    const QString sql = sentText();
    m_database.noteStatement(sql);
    m_database.call([sql](DatabaseThread &t) {
        QSqlQuery query(t.database());
        if (!query.exec(sql))
            fail(query);
    });
}

QVariant TQuery::field(const QString &name) const
{
    if (!m_active || m_eof)
        throw TavlixError(QStringLiteral("No current row for field '%1'").arg(name));
    return m_row.value(SqlWork::columnIndex(m_columns, name));
}

int TQuery::fieldAsInteger(const QString &name) const
{
    return SqlWork::toInteger(field(name));
}

QString TQuery::fieldAsString(const QString &name) const
{
    return SqlWork::toText(field(name));
}

QDateTime TQuery::fieldAsDateTime(const QString &name) const
{
    return SqlWork::toDateTime(field(name));
}

QByteArray TQuery::fieldAsBytes(const QString &name) const
{
    return SqlWork::toBytes(field(name));
}
