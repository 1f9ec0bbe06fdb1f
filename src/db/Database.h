#pragma once

#include "DatabaseThread.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// The one connection to the point-of-sale database, an ODBC data source opened through Qt's
// QODBC driver. No login dialog is ever shown; every failure throws TavlixError with the
// driver's message. The connection lives on a thread of its own (DatabaseThread), so no call,
// the connect included, keeps the caller longer than the deadline: one that has not answered by
// then throws like a lost connection, and the next open starts on a fresh thread.
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
    // Runs job on the connection's thread and waits for it at most the deadline (throws
    // TavlixError, or what the job throws).
    void call(DatabaseThread::Job job);
    // Queues job on the connection's thread without waiting for it.
    void post(DatabaseThread::Job job);
    // The connection's thread, for statements to know whether theirs is still the current one.
    const DatabaseThread *currentThread() const { return m_thread.get(); }
    // A call of some database of the process is waiting for its answer.
    static bool callWaiting() { return DatabaseThread::callWaiting(); }

    // The connection itself, for tools and tests that run statements of their own while no
    // call of this object runs.
    QSqlDatabase &handle();

    // Statements sent on this connection since it was created (for benchmarks and tests).
    int statementsSent() const { return m_statements; }
    void countStatement() { ++m_statements; }

private:
    DatabaseThread &ensureThread();

    std::shared_ptr<DatabaseThread> m_thread;
    int m_deadlineMs = defaultDeadlineMs;
    QString m_alias;
    QString m_user;
    QString m_password;
    QString m_dbms;
    int m_statements = 0;
};
