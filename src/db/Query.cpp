#include "Query.h"

#include "Database.h"
#include "pos/TavlixError.h"

#include <QRegularExpression>
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
    // SQLite and PostgreSQL do not know SQL Server's type name VarBinary(Max); everything else
    // goes verbatim.
    const QString binary = m_database.binaryTypeName();
    if (binary.isEmpty())
        return text();
    static const QRegularExpression varbinaryMax(
        QStringLiteral("\\bVarBinary\\s*\\(\\s*Max\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);
    return QString(text()).replace(varbinaryMax, binary);
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
    m_database.countStatement();
    const quint64 statement = newStatementNumber();
    auto out = std::make_shared<Fetched>();
    m_database.call([statement, out, sql = sentText()](DatabaseThread &t) {
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
    m_database.countStatement();
    m_database.call([sql = sentText()](DatabaseThread &t) {
        QSqlQuery query(t.database());
        if (!query.exec(sql))
            fail(query);
    });
}

QVariant TQuery::field(const QString &name) const
{
    if (!m_active || m_eof)
        throw TavlixError(QStringLiteral("No current row for field '%1'").arg(name));
    int index = m_columns.indexOf(name);
    for (int i = 0; index < 0 && i < m_columns.count(); ++i) {
        if (m_columns.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0)
        throw TavlixError(QStringLiteral("Field '%1' not found").arg(name));
    return m_row.value(index);
}

int TQuery::fieldAsInteger(const QString &name) const
{
    const QVariant v = field(name);
    if (v.isNull())
        return 0;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!ok)
        throw TavlixError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return value;
}

QString TQuery::fieldAsString(const QString &name) const
{
    return field(name).toString();
}

QDateTime TQuery::fieldAsDateTime(const QString &name) const
{
    const QVariant v = field(name);
    if (v.isNull())
        return {};
    QDateTime t = v.toDateTime();
    if (!t.isValid())
        t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    if (!t.isValid())
        throw TavlixError(QStringLiteral("'%1' is not a valid date and time").arg(v.toString()));
    return t;
}

QByteArray TQuery::fieldAsBytes(const QString &name) const
{
    return field(name).toByteArray();
}
