#include "Database.h"

#include "DataSourceRepair.h"
#include "pos/TavlixError.h"

#include <QSqlDriver>
#include <QSqlError>
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

// The PostgreSQL driver takes the braces off the password only; it reads the user name as it
// stands up to the next ';'. There a name is braced only when it could not stand without.
QString userValue(const QString &user, const QString &dataSourceName)
{
    if (user.contains(u';') || user.startsWith(u'{'))
        return connectionValue(user);
    const QString driver = dataSourceSetting(dataSourceName, QStringLiteral("Driver"));
    const bool postgreSql = driver.contains(QStringLiteral("postgres"), Qt::CaseInsensitive)
        || driver.contains(QStringLiteral("psqlodbc"), Qt::CaseInsensitive);
    return postgreSql ? user : connectionValue(user);
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

TDatabase::TDatabase() = default;

TDatabase::~TDatabase()
{
    if (m_thread)
        m_thread->finish(m_deadlineMs);
}

DatabaseThread &TDatabase::ensureThread()
{
    if (!m_thread)
        m_thread = DatabaseThread::start();
    return *m_thread;
}

QSqlDatabase &TDatabase::handle()
{
    return ensureThread().database();
}

void TDatabase::call(DatabaseThread::Job job)
{
    if (ensureThread().run(std::move(job), m_deadlineMs))
        return;
    // The thread ends by itself once its call returns; the next open starts anew.
    m_thread.reset();
    throw TavlixError(QStringLiteral("The database did not answer within %1 seconds")
                          .arg(QString::number(m_deadlineMs / 1000.0)));
}

void TDatabase::post(DatabaseThread::Job job)
{
    ensureThread().post(std::move(job));
}

void TDatabase::close()
{
    if (!isOpen())
        return;
    try {
        call([](DatabaseThread &t) {
            t.queries.clear();
            t.database().close();
        });
    } catch (const TavlixError &) {
        // Given up: the connection closes on its thread when that thread ends.
    }
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
    if (!handle().isValid())
        throw TavlixError(QStringLiteral("The ODBC database driver (QODBC) is not installed"));
    close();
    if (m_alias.trimmed().isEmpty())
        throw TavlixError(QStringLiteral("No data source name is set (ALIAS in krumel.ini)"));
    auto dbms = std::make_shared<QString>();
    call([dbms, alias = m_alias, user = userValue(m_user, m_alias),
          password = connectionValue(m_password)](DatabaseThread &t) {
        QSqlDatabase &db = t.database();
        db.setDatabaseName(alias);
        db.setUserName(user);
        db.setPassword(password);
        if (!db.open())
            throw TavlixError(driverMessage(db.lastError()));
        *dbms = queryDbmsName(db);
    });
    m_dbms = *dbms;
}

bool TDatabase::isOpen() const
{
    return m_thread && m_thread->database().isOpen();
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
