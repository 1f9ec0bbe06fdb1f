#include "Database.h"

#include "DataSourceRepair.h"
#include "SqlWork.h"
#include "pos/TavlixError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QTimer>
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

void TDatabase::SentStatements::note(const QString &sql)
{
    ++m_count;
    std::lock_guard lock(m_mutex);
    m_recent.append(sql);
    if (m_recent.size() > 20)
        m_recent.removeFirst();
}

QStringList TDatabase::SentStatements::recent() const
{
    std::lock_guard lock(m_mutex);
    return m_recent;
}

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

QString TDatabase::timeoutText() const
{
    return QStringLiteral("Databasen svarade inte inom %1 sekunder")
        .arg(QString::number(m_deadlineMs / 1000.0));
}

void TDatabase::throwTimeout() const
{
    throw TavlixError(timeoutText());
}

int TDatabase::driverTimeoutSeconds() const
{
    return std::max(1, m_deadlineMs * 4 / 5 / 1000);
}

void TDatabase::giveUp()
{
    // The thread ends by itself once its call returns; the next open starts anew.
    m_lost = m_thread;
    m_opened = false;
    m_thread->abandon();
    m_thread.reset();
}

void TDatabase::call(DatabaseThread::Job job)
{
    if (ensureThread().run(std::move(job), m_deadlineMs))
        return;
    giveUp();
    throwTimeout();
}

// One submitted call, answered once on the thread of its context.
struct TDatabase::Pending
{
    QPointer<QObject> context;
    Done done;
    const DatabaseThread *thread = nullptr;
    bool answered = false;
    // Set on the connection's thread: when the job began (monotonic ms, 0 before), and that it
    // has ended, its answer on its way.
    std::atomic<qint64> startedAt {0};
    std::atomic<bool> finished {false};

    void answer(std::exception_ptr error)
    {
        if (answered)
            return;
        answered = true;
        if (context)
            done(error);
    }
};

void TDatabase::submit(DatabaseThread::Job job, QObject *context, Done done)
{
    DatabaseThread &thread = ensureThread();
    auto pending = std::make_shared<Pending>();
    pending->context = context;
    pending->done = std::move(done);
    pending->thread = &thread;
    std::erase_if(m_pending, [](const auto &p) { return p->answered; });
    m_pending.push_back(pending);

    thread.post([job = std::move(job), pending](DatabaseThread &t) {
        pending->startedAt = std::max<qint64>(1, QDeadlineTimer::current().deadline());
        std::exception_ptr error;
        try {
            job(t);
        } catch (...) {
            error = std::current_exception();
        }
        pending->finished = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [pending, error] { pending->answer(error); },
            Qt::QueuedConnection);
    });
    armDeadline(pending, context, m_deadlineMs);
}

void TDatabase::armDeadline(const std::shared_ptr<Pending> &pending, QObject *context, int ms)
{
    QTimer::singleShot(ms, context, [this, pending, context] {
        // An answer on its way is no lost call, however busy the window was meanwhile.
        if (pending->answered || pending->finished)
            return;
        // The deadline counts from the start of the job, not from the time it waited in line:
        // a job that hangs ahead of it is given up at its own deadline, with all behind it.
        const qint64 started = pending->startedAt;
        if (started == 0)
            return armDeadline(pending, context, m_deadlineMs);
        const qint64 ran = QDeadlineTimer::current().deadline() - started;
        if (ran < m_deadlineMs)
            return armDeadline(pending, context, int(m_deadlineMs - ran));
        if (m_thread.get() == pending->thread)
            giveUp();
        // What waited behind the lost call fails now too, not at its own deadline.
        const auto error = std::make_exception_ptr(TavlixError(timeoutText()));
        for (const auto &p : std::vector(m_pending)) {
            if (p->thread == pending->thread)
                p->answer(error);
        }
    });
}

bool TDatabase::busy() const
{
    return std::any_of(m_pending.begin(), m_pending.end(),
                       [](const auto &p) { return !p->answered; });
}

void TDatabase::post(DatabaseThread::Job job)
{
    ensureThread().post(std::move(job));
}

QString TDatabase::sqlText(const QStringList &lines) const
{
    const QString text = lines.join(QStringLiteral("\r\n"));
    // SQLite and PostgreSQL do not know SQL Server's type name VarBinary(Max); everything else
    // goes verbatim.
    const QString binary = binaryTypeName();
    if (binary.isEmpty())
        return text;
    static const QRegularExpression varbinaryMax(
        QStringLiteral("\\bVarBinary\\s*\\(\\s*Max\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);
    return QString(text).replace(varbinaryMax, binary);
}

void TDatabase::close()
{
    if (!isOpen())
        return;
    m_opened = false;
    post([](DatabaseThread &t) {
        t.queries.clear();
        t.database().close();
    });
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

DatabaseThread::Job TDatabase::openJob(std::shared_ptr<QString> dbms)
{
    if (!handle().isValid())
        throw TavlixError(QStringLiteral("The ODBC database driver (QODBC) is not installed"));
    close();
    if (m_alias.trimmed().isEmpty())
        throw TavlixError(QStringLiteral("No data source name is set (ALIAS in krumel.ini)"));
    const QString options =
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
            .arg(driverTimeoutSeconds());
    return [dbms, options, alias = m_alias, user = userValue(m_user, m_alias),
            password = connectionValue(m_password), sent = m_statements,
            timeout = driverTimeoutSeconds()](DatabaseThread &t) {
        QSqlDatabase &db = t.database();
        db.setDatabaseName(alias);
        db.setUserName(user);
        db.setPassword(password);
        db.setConnectOptions(options);
        if (!db.open())
            throw TavlixError(driverMessage(db.lastError()));
        *dbms = queryDbmsName(db);
        for (const QString &sql : statementsAfterConnect(*dbms)) {
            sent->note(sql);
            SqlWork::execute(t, sql, timeout);
        }
    };
}

QStringList TDatabase::statementsAfterConnect(const QString &dbmsName)
{
    // SQL Server cuts image and varbinary(max) values at the connection's TEXTSIZE. Microsoft's
    // drivers set it unlimited when they connect; FreeTDS leaves the server's default (4 KB)
    // unless told, and every ticket picture would arrive cut short.
    if (dbmsName.contains(QStringLiteral("Microsoft SQL Server"), Qt::CaseInsensitive))
        return {QStringLiteral("SET TEXTSIZE 2147483647")};
    return {};
}

void TDatabase::open()
{
    if (const std::shared_ptr<DatabaseThread> lost = m_lost.lock()) {
        if (!lost->waitEnded(driverTimeoutSeconds() * 1000))
            throw TavlixError(lostCallText());
    }
    auto dbms = std::make_shared<QString>();
    call(openJob(dbms));
    m_dbms = *dbms;
    m_opened = true;
}

QString TDatabase::lostCallText()
{
    return QStringLiteral("Det förra anropet till databasen har inte avslutats");
}

void TDatabase::openAsync(QObject *context, Done done)
{
    const auto fail = [context, &done](const QString &message) {
        QTimer::singleShot(
            0, context, [done, message] { done(std::make_exception_ptr(TavlixError(message))); });
    };
    // One call given up on at a time: a new connection waits, as long as a login may take, for
    // the lost call to end, so that lost calls and their server sessions never pile up.
    if (lostCallRunning()) {
        auto *poll = new QTimer(context);
        poll->setInterval(50);
        QDeadlineTimer until(driverTimeoutSeconds() * 1000);
        QObject::connect(poll, &QTimer::timeout, context, [this, poll, until, context, done] {
            if (lostCallRunning() && !until.hasExpired())
                return;
            poll->deleteLater();
            if (lostCallRunning())
                done(std::make_exception_ptr(TavlixError(lostCallText())));
            else
                openAsync(context, done);
        });
        poll->start();
        return;
    }
    auto dbms = std::make_shared<QString>();
    DatabaseThread::Job job;
    try {
        job = openJob(dbms);
    } catch (const TavlixError &e) {
        return fail(e.message());
    }
    submit(std::move(job), context, [this, dbms, done](std::exception_ptr error) {
        if (!error) {
            m_dbms = *dbms;
            m_opened = true;
        }
        done(error);
    });
}

bool TDatabase::isOpen() const
{
    return m_opened && m_thread && m_thread->database().isOpen();
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
