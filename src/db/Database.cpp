#include "Database.h"

#include "pos/TavlixError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <sql.h>
#include <sqlext.h>

namespace {

QString driverMessage(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

// The driver puts user and password into an ODBC connection string; a value holding ';', '{',
// '}' or '=' must stand in braces there, or it would end the value and start another attribute.
QString connectionValue(const QString &value)
{
    static const QString special = QStringLiteral(";{}=");
    if (std::none_of(value.begin(), value.end(), [](QChar c) { return special.contains(c); }))
        return value;
    return u'{' + QString(value).replace(u'}', QStringLiteral("}}")) + u'}';
}

QString queryDbmsName(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || handle.metaType() != QMetaType::fromType<SQLHANDLE>())
        return {};
    auto hdbc = *static_cast<SQLHANDLE const *>(handle.data());
    char name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof(name), &length)))
        return {};
    return QString::fromLocal8Bit(name);
}

} // namespace

TDatabase::TDatabase()
    : m_connectionName(QStringLiteral("tavlix-") + QUuid::createUuid().toString(QUuid::Id128))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
}

TDatabase::~TDatabase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void TDatabase::close()
{
    if (m_db.isOpen())
        m_db.close();
}

void TDatabase::setParams(const QString &userName, const QString &password)
{
    m_user = userName;
    m_password = password;
}

void TDatabase::setAliasName(const QString &dataSourceName)
{
    m_alias = dataSourceName;
}

void TDatabase::open()
{
    if (!m_db.isValid())
        throw TavlixError(QStringLiteral("The ODBC database driver (QODBC) is not installed"));
    close();
    if (m_alias.trimmed().isEmpty())
        throw TavlixError(QStringLiteral("No data source name is set (ALIAS in krumel.ini)"));
    m_db.setDatabaseName(m_alias);
    m_db.setUserName(connectionValue(m_user));
    m_db.setPassword(connectionValue(m_password));
    if (!m_db.open())
        throw TavlixError(driverMessage(m_db.lastError()));
    m_dbms = queryDbmsName(m_db);
}

bool TDatabase::isOpen() const
{
    return m_db.isOpen();
}

bool TDatabase::isSqlite() const
{
    return m_dbms.contains(QStringLiteral("SQLite"), Qt::CaseInsensitive);
}

bool TDatabase::isPostgreSql() const
{
    return m_dbms.contains(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive);
}

QString TDatabase::binaryTypeName() const
{
    if (isSqlite())
        return QStringLiteral("BLOB");
    if (isPostgreSql())
        return QStringLiteral("bytea");
    return {};
}
