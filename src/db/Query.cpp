#include "Query.h"

#include "Database.h"
#include "pos/TavlixError.h"

#include <QRegularExpression>
#include <QSqlError>

TQuery::TQuery(TDatabase &database)
    : m_database(database)
{
}

void TQuery::close()
{
    m_query.finish();
    m_query = QSqlQuery();
    m_active = false;
    m_eof = true;
    m_columns = QSqlRecord();
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

void TQuery::fail() const
{
    const QString message = m_query.lastError().text().trimmed();
    throw TavlixError(message.isEmpty() ? QStringLiteral("Database error") : message);
}

void TQuery::open()
{
    close();
    if (!m_database.isOpen())
        throw TavlixError(QStringLiteral("Database is not connected"));
    m_query = QSqlQuery(m_database.handle());
    m_query.setForwardOnly(true);
    m_database.countStatement();
    if (!m_query.exec(sentText()))
        fail();
    if (!m_query.isSelect())
        throw TavlixError(QStringLiteral("The statement returned no rows"));
    m_active = true;
    // Read before the first row: on a row, record() would fetch every value of it.
    m_columns = m_query.record();
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        fail();
}

void TQuery::next()
{
    if (!m_active || m_eof)
        return;
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        fail();
}

void TQuery::execSql()
{
    close();
    if (!m_database.isOpen())
        throw TavlixError(QStringLiteral("Database is not connected"));
    m_query = QSqlQuery(m_database.handle());
    m_database.countStatement();
    if (!m_query.exec(sentText()))
        fail();
    close();
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
    return m_query.value(index);
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
