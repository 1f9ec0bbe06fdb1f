#pragma once

#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "db/Database.h"
#include "pos/TavlixError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

// A private PostgreSQL cluster in a temporary folder, on a free port of its own, with the tables
// the point-of-sale side makes. The server runs as the user "postgres" when the tests run as
// root (it refuses to run as root), as a child of the test, so that a kill leaves no zombie that
// holds the data folder. Data sources on it go into OdbcFixture's configuration.
//
//     if (const QString why = PgFixture::missing(); !why.isEmpty())
//         QSKIP(qPrintable(why));
//     PgFixture pg;
//     QVERIFY2(pg.setUp(), qPrintable(pg.error()));
class PgFixture
{
public:
    static constexpr const char *user = "SA";
    static constexpr const char *password = "kassa";

    // Why no cluster can be made here (the server or its ODBC driver is not installed); empty
    // when one can.
    static QString missing()
    {
        if (binDir().isEmpty())
            return QStringLiteral("PostgreSQL is not installed (scripts/setup.sh installs it)");
        if (!QFileInfo::exists(QStringLiteral(TAVLIX_PSQL_ODBC_DRIVER)))
            return QStringLiteral("The PostgreSQL ODBC driver is not installed");
        if (geteuid() == 0 && !getpwnam("postgres"))
            return QStringLiteral("There is no user postgres to run the server as");
        return {};
    }

    PgFixture() = default;
    PgFixture(const PgFixture &) = delete;
    PgFixture &operator=(const PgFixture &) = delete;

    ~PgFixture()
    {
        stopFast();
        if (m_server.state() != QProcess::NotRunning)
            killPostmaster();
    }

    // Makes the cluster, starts it and creates the tables; false with error() when it fails.
    // With requireSsl the server takes only encrypted TCP connections, with a self-signed
    // certificate made here, and the data sources ask for encryption.
    bool setUp(bool requireSsl = false)
    {
        m_ssl = requireSsl;
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        m_port = freePort();
        if (const passwd *pw = geteuid() == 0 ? getpwnam("postgres") : nullptr) {
            m_uid = pw->pw_uid;
            m_gid = pw->pw_gid;
            if (chown(QFile::encodeName(m_dir.path()).constData(), m_uid, m_gid) != 0)
                return fail(QStringLiteral("cannot hand the folder to postgres"));
        }
        const QString pwFile = m_dir.filePath(QStringLiteral("pw"));
        writeFile(pwFile, password);
        QProcess initdb;
        prepare(initdb);
        initdb.start(binDir() + QStringLiteral("/initdb"),
                     {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"),
                      QString::fromLatin1(user), QStringLiteral("--pwfile=") + pwFile,
                      QStringLiteral("--auth-local=trust"),
                      QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-E"),
                      QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                      QStringLiteral("--no-sync")});
        if (!initdb.waitForFinished(120000) || initdb.exitCode() != 0)
            return fail(QStringLiteral("initdb failed: ")
                        + QString::fromLocal8Bit(initdb.readAllStandardError()));
        appendFile(dataDir() + QStringLiteral("/postgresql.conf"),
                   // Without fsync a commit still reaches the system before it is
                   // confirmed, so a killed server loses nothing; only the machine must not fail.
                   QStringLiteral("port = %1\nlisten_addresses = '127.0.0.1'\n"
                                  "unix_socket_directories = ''\nfsync = off\n")
                       .arg(m_port)
                       .toLatin1());
        if (m_ssl && !requireEncryption())
            return false;
        if (!start())
            return false;
        m_dsn = addDataSource(QStringLiteral("PgKassa"));
        try {
            TDatabase db;
            connect(db);
            PosDatabase(db).createSchema();
        } catch (const TavlixError &e) {
            return fail(e.message());
        }
        return true;
    }

    QString error() const { return m_error; }
    quint16 port() const { return m_port; }
    // The data source straight on the server.
    QString dataSource() const { return m_dsn; }

    // A data source on the server, or on another port that leads to it (a proxy).
    QString addDataSource(const QString &stem, quint16 port = 0)
    {
        OdbcFixture &odbc = OdbcFixture::instance();
        return odbc.addEntry(odbc.uniqueName(stem),
                             "Driver=PostgreSQL Unicode\nServername=127.0.0.1\nPort="
                                 + QByteArray::number(port ? port : m_port)
                                 + "\nDatabase=postgres\n" + (m_ssl ? "SSLmode=require\n" : ""));
    }

    // A data source on the server that does not ask for encryption.
    QString addPlainDataSource(const QString &stem)
    {
        OdbcFixture &odbc = OdbcFixture::instance();
        return odbc.addEntry(odbc.uniqueName(stem),
                             "Driver=PostgreSQL Unicode\nServername=127.0.0.1\nPort="
                                 + QByteArray::number(m_port)
                                 + "\nDatabase=postgres\nSSLmode=disable\n");
    }

    // Opens db on the data source straight on the server, as the cluster's owner.
    void connect(TDatabase &db) const
    {
        db.setAliasName(m_dsn);
        db.setParams(QString::fromLatin1(user), QString::fromLatin1(password));
        db.open();
    }

    // Drops the tables and makes them anew, as the point-of-sale side does (throws TavlixError).
    void resetTables()
    {
        TDatabase db;
        connect(db);
        QSqlQuery q(db.handle());
        if (!q.exec(QStringLiteral("DROP TABLE IF EXISTS Tavlix, FavUt, Foretag")))
            throw TavlixError(q.lastError().text());
        PosDatabase(db).createSchema();
    }

    // Starts the server and waits until it takes connections. Right after a kill the old
    // server's processes may still hold its shared memory; the start is tried again then.
    bool start()
    {
        const QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            prepare(m_server, true);
            m_server.setStandardOutputFile(m_dir.filePath(QStringLiteral("server.log")),
                                           QIODevice::Append);
            m_server.setStandardErrorFile(m_dir.filePath(QStringLiteral("server.log")),
                                          QIODevice::Append);
            m_server.start(binDir() + QStringLiteral("/postgres"),
                           {QStringLiteral("-D"), dataDir()});
            if (!m_server.waitForStarted())
                return fail(QStringLiteral("cannot run postgres"));
            while (m_server.state() == QProcess::Running && !deadline.hasExpired()) {
                if (isReady())
                    return true;
                m_server.waitForFinished(50);
            }
            m_server.waitForFinished(1000);
            QThread::msleep(100);
        }
        return fail(QStringLiteral("the server did not start: ") + serverLog());
    }

    // Fast shutdown: every session is ended, and the server stops cleanly.
    void stopFast() { stop(SIGINT); }
    // The postmaster dies at once, as in a crash; its sessions end when they notice it.
    void killPostmaster() { stop(SIGKILL); }
    bool isRunning() const { return m_server.state() == QProcess::Running; }
    // The postmaster's process, for a fault sent from another thread.
    qint64 serverPid() const { return m_server.processId(); }

    QString serverLog() const
    {
        QFile f(m_dir.filePath(QStringLiteral("server.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(2000))
                                           : QString();
    }

private:
    static QString binDir()
    {
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
            if (QFileInfo::exists(bin + QStringLiteral("/initdb"))
                && QFileInfo::exists(bin + QStringLiteral("/postgres")))
                return bin;
        }
        return {};
    }

    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return probe.serverPort();
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    static void appendFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::Append))
            f.write(bytes);
    }

    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

    // A self-signed certificate, SSL on, and every TCP entry of pg_hba.conf for SSL alone.
    bool requireEncryption()
    {
        QProcess openssl;
        prepare(openssl);
        openssl.setWorkingDirectory(dataDir());
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                       QStringLiteral("-keyout"), QStringLiteral("server.key"),
                       QStringLiteral("-out"), QStringLiteral("server.crt"),
                       QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1")});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return fail(QStringLiteral("openssl failed: ")
                        + QString::fromLocal8Bit(openssl.readAllStandardError()));
        QFile::setPermissions(dataDir() + QStringLiteral("/server.key"),
                              QFile::ReadOwner | QFile::WriteOwner);
        appendFile(dataDir() + QStringLiteral("/postgresql.conf"),
                   "ssl = on\nssl_cert_file = 'server.crt'\nssl_key_file = 'server.key'\n");
        const QString hba = dataDir() + QStringLiteral("/pg_hba.conf");
        QFile in(hba);
        if (!in.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("no pg_hba.conf"));
        QByteArray lines;
        for (const QByteArray &line : in.readAll().split('\n'))
            lines += (line.startsWith("host ") ? "hostssl " + line.mid(5) : line) + '\n';
        in.close();
        writeFile(hba, lines);
        return true;
    }

    // The child drops to the server's user; the server also dies with the test.
    void prepare(QProcess &process, bool dieWithTest = false) const
    {
        const uid_t uid = m_uid;
        const gid_t gid = m_gid;
        process.setChildProcessModifier([uid, gid, dieWithTest] {
            if (uid != 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
                _exit(126);
            if (dieWithTest)
                prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
    }

    bool isReady() const
    {
        QProcess probe;
        probe.start(binDir() + QStringLiteral("/pg_isready"),
                    {QStringLiteral("-q"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("-p"), QString::number(m_port)});
        return probe.waitForFinished(5000) && probe.exitCode() == 0;
    }

    void stop(int signal)
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_server.processId()), signal);
        m_server.waitForFinished(60000);
    }

    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    bool m_ssl = false;
    uid_t m_uid = 0; // the server's user; 0 when the test's own user runs it
    gid_t m_gid = 0;
    QString m_dsn;
    QString m_error;
};
