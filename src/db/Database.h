#pragma once

#include <QSqlDatabase>
#include <QString>

// The one connection to the point-of-sale database, an ODBC data source opened through Qt's
// QODBC driver. No login dialog is ever shown; every failure throws TavlixError with the
// driver's message.
class TDatabase
{
public:
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

    QSqlDatabase &handle() { return m_db; }

    // Statements sent on this connection since it was created (for benchmarks and tests).
    int statementsSent() const { return m_statements; }
    void countStatement() { ++m_statements; }

private:
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_alias;
    QString m_user;
    QString m_password;
    QString m_dbms;
    int m_statements = 0;
};
