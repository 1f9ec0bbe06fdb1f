#pragma once

#include "DatabaseThread.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QObject;

// The one connection to the point-of-sale database, an ODBC data source opened through Qt's
// QODBC driver. No login dialog is ever shown; every failure throws TavlixError with the
// driver's message. The connection lives on a thread of its own (DatabaseThread). The window
// submits its work there and is answered by a queued call, never waiting itself; tools and tests
// may also wait (call). A call that has not answered by the deadline fails like a lost
// connection, and the next open starts on a fresh thread. The driver is given a login and a query
// timeout below the deadline, so that a call the server holds ends by itself before it is given up,
// and at most one call given up on runs at any time.
class TDatabase
{
public:
    static constexpr int defaultDeadlineMs = 15000;

    TDatabase();
    ~TDatabase();
    TDatabase(const TDatabase &) = delete;
    TDatabase &operator=(const TDatabase &) = delete;

    // Nothing happens when the connection is closed already.
    void close();
    // "User name" and "Password", replaced at every connect.
    void setParams(const QString &userName, const QString &password);
    void setAliasName(const QString &dataSourceName);
    QString aliasName() const { return m_alias; }
    QString userName() const { return m_user; }
    QString password() const { return m_password; }
    void open();
    bool isOpen() const;
    // Opens on the connection's thread; done runs on context's thread with the outcome.
    using Done = std::function<void(std::exception_ptr error)>;
    void openAsync(QObject *context, Done done);

    // What is sent after every connect, by the engine's name (see Database.cpp).
    static QStringList statementsAfterConnect(const QString &dbmsName);
    // The database engine's own name as the driver reports it ("SQLite", "PostgreSQL",
    // "Microsoft SQL Server").
    QString dbmsName() const { return m_dbms; }
    bool isSqlite() const;
    bool isPostgreSql() const;
    // This engine's name for SQL Server's VarBinary(Max); empty where that name is understood.
    QString binaryTypeName() const;

    // How long a call may take before it counts as lost; only tests shorten it.
    int deadlineMs() const { return m_deadlineMs; }
    void setDeadlineMs(int milliseconds) { m_deadlineMs = milliseconds; }
    // The whole seconds the driver lets a statement or a login take: below the deadline.
    int driverTimeoutSeconds() const;
    // Runs job on the connection's thread and waits for it at most the deadline (throws
    // TavlixError, or what the job throws). Not for the window's thread.
    void call(DatabaseThread::Job job);
    // Queues job on the connection's thread; done runs on context's thread, exactly once, with
    // what the job threw (null for success), or with a TavlixError once the deadline has passed.
    // Nothing runs when context is gone by then.
    void submit(DatabaseThread::Job job, QObject *context, Done done);
    // Queues job on the connection's thread without waiting for it.
    void post(DatabaseThread::Job job);
    // Some submitted call has not been answered yet.
    bool busy() const;
    // A call given up on is still running on its thread. No other connection is opened until it
    // ends, or a login timeout has passed (the open then fails with lostCallText()).
    bool lostCallRunning() const { return !m_lost.expired(); }
    static QString lostCallText();
    // The text sent for a statement's lines, in this engine's words for SQL Server's.
    QString sqlText(const QStringList &lines) const;

    // The connection itself, for tools and tests that run statements of their own while no
    // call of this object runs.
    QSqlDatabase &handle();

    // Statements sent on this connection since it was created (for benchmarks and tests).
    // The record is shared with the jobs that send statements on the connection's thread.
    class SentStatements
    {
    public:
        void note(const QString &sql);
        int count() const { return m_count; }
        QStringList recent() const; // the last few, oldest first
    private:
        std::atomic<int> m_count {0};
        mutable std::mutex m_mutex;
        QStringList m_recent;
    };
    int statementsSent() const { return m_statements->count(); }
    QStringList recentStatements() const { return m_statements->recent(); }
    void noteStatement(const QString &sql) { m_statements->note(sql); }
    std::shared_ptr<SentStatements> sentStatements() const { return m_statements; }

private:
    struct Pending;
    void armDeadline(const std::shared_ptr<Pending> &pending, QObject *context, int ms);
    DatabaseThread &ensureThread();
    DatabaseThread::Job openJob(std::shared_ptr<QString> dbms);
    void giveUp();
    [[noreturn]] void throwTimeout() const;
    QString timeoutText() const;

    std::shared_ptr<DatabaseThread> m_thread;
    std::weak_ptr<DatabaseThread> m_lost; // given up on, until its call returns
    std::vector<std::shared_ptr<Pending>> m_pending;
    int m_deadlineMs = defaultDeadlineMs;
    QString m_alias;
    QString m_user;
    QString m_password;
    QString m_dbms;
    bool m_opened = false; // opened, and not closed or given up on since
    std::shared_ptr<SentStatements> m_statements = std::make_shared<SentStatements>();
};
