#include "ConnectionCheck.h"

#include "db/DataSourceRepair.h"
#include "db/Database.h"

#include <QSqlDatabase>
#include <QStringList>

#include <sql.h>
#include <sqlext.h>

namespace {

// Answers within this many seconds, so that a server that is away does not hang the set-up.
constexpr SQLULEN loginTimeoutSeconds = 15;

struct Diagnostic
{
    QString state;
    QString message;
};

Diagnostic diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostic d;
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH] = {};
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1;
         SQL_SUCCEEDED(SQLGetDiagRec(type, handle, i, state, &native, text, sizeof(text), &length));
         ++i) {
        // Warnings (class 01) may come before the error, as "Can't open lib" before IM003.
        const QString code = QString::fromLatin1(reinterpret_cast<const char *>(state));
        if (d.state.isEmpty() || (d.state.startsWith(u"01") && !code.startsWith(u"01")))
            d.state = code;
        const QString line = QString::fromLocal8Bit(reinterpret_cast<const char *>(text)).trimmed();
        if (!line.isEmpty())
            d.message += (d.message.isEmpty() ? QString() : QStringLiteral("\n")) + line;
    }
    return d;
}

ConnectionCheck::Problem problemOf(const Diagnostic &d, const QString &dataSource)
{
    // The driver manager says the same of a data source whose driver is not registered.
    if (d.state == u"IM002")
        return dataSourceSetting(dataSource, QStringLiteral("Driver")).isEmpty()
            ? ConnectionCheck::NoDataSource
            : ConnectionCheck::NoDriver;
    // unixODBC reports a driver library it cannot load as the warning 01000 "Can't open lib".
    if (d.state == u"IM003" || d.message.contains(QStringLiteral("Can't open lib")))
        return ConnectionCheck::NoDriver;
    if (d.state == u"28000")
        return ConnectionCheck::LoginRefused;
    // Some drivers report a refused login as a failed connection; their texts tell.
    static const QStringList loginTexts = {QStringLiteral("Login failed"),
                                           QStringLiteral("password authentication failed")};
    for (const QString &text : loginTexts) {
        if (d.message.contains(text, Qt::CaseInsensitive))
            return ConnectionCheck::LoginRefused;
    }
    if (d.state == u"08001" || d.state == u"08S01" || d.state == u"HYT00" || d.state == u"HYT01")
        return ConnectionCheck::Unreachable;
    return ConnectionCheck::Other;
}

QByteArray local(const QString &text)
{
    return text.toLocal8Bit();
}

SQLCHAR *chars(QByteArray &bytes)
{
    return reinterpret_cast<SQLCHAR *>(bytes.data());
}

class Handles
{
public:
    Handles()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    }
    ~Handles()
    {
        if (stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (connected)
            SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    Handles(const Handles &) = delete;
    Handles &operator=(const Handles &) = delete;

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    bool connected = false;
};

QString dbmsName(SQLHDBC dbc)
{
    char name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof(name), &length)))
        return {};
    return QString::fromLocal8Bit(name);
}

// This engine's name of the function that tells a binary value's length in bytes.
QString lengthFunction(const QString &dbms)
{
    if (dbms.contains(QStringLiteral("SQL Server"), Qt::CaseInsensitive))
        return QStringLiteral("DataLength");
    if (dbms.contains(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive))
        return QStringLiteral("octet_length");
    return QStringLiteral("length");
}

// Runs sql on a statement of its own; false when it fails.
bool execute(SQLHDBC dbc, const QString &sql, SQLHSTMT &stmt)
{
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    QByteArray text = local(sql);
    return SQL_SUCCEEDED(SQLExecDirect(stmt, chars(text), SQL_NTS));
}

void release(SQLHSTMT &stmt)
{
    if (stmt)
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    stmt = SQL_NULL_HSTMT;
}

// The newest ticket's picture: the length the server gives it, and the bytes that arrive the way
// the board reads them (after the board's own statements that follow a connect). Nothing is
// compared when the table holds no ticket.
void checkPictureLength(SQLHDBC dbc, ConnectionCheck &check)
{
    const QString dbms = dbmsName(dbc);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    for (const QString &sql : TDatabase::statementsAfterConnect(dbms)) {
        execute(dbc, sql, stmt);
        release(stmt);
    }
    const bool read = execute(dbc,
                              QStringLiteral("Select ID, %1(Bong) from Tavlix where ID = (Select "
                                             "Max(ID) from Tavlix)")
                                  .arg(lengthFunction(dbms)),
                              stmt)
        && SQL_SUCCEEDED(SQLFetch(stmt));
    SQLBIGINT id = 0;
    SQLBIGINT stored = 0;
    SQLLEN indicator = 0;
    const bool known = read && SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SBIGINT, &id, 0, nullptr))
        && SQL_SUCCEEDED(SQLGetData(stmt, 2, SQL_C_SBIGINT, &stored, 0, &indicator))
        && indicator != SQL_NULL_DATA;
    release(stmt);
    if (!known)
        return;
    qint64 received = 0;
    if (execute(dbc, QStringLiteral("Select Bong from Tavlix where ID = %1").arg(id), stmt)
        && SQL_SUCCEEDED(SQLFetch(stmt))) {
        char chunk[65536];
        for (;;) {
            SQLLEN got = 0;
            const SQLRETURN r = SQLGetData(stmt, 1, SQL_C_BINARY, chunk, sizeof(chunk), &got);
            if (!SQL_SUCCEEDED(r) || got == SQL_NULL_DATA)
                break;
            // A part that fills the buffer says the whole length, or that it does not know it.
            received +=
                got == SQL_NO_TOTAL || got > SQLLEN(sizeof(chunk)) ? SQLLEN(sizeof(chunk)) : got;
            if (r == SQL_SUCCESS)
                break;
        }
    }
    release(stmt);
    if (received != stored) {
        check.problem = ConnectionCheck::CutPictures;
        check.ticket = int(id);
        check.storedBytes = stored;
        check.receivedBytes = received;
    }
}

} // namespace

ConnectionCheck checkConnection(const QString &dataSource, const QString &user,
                                const QString &password)
{
    ConnectionCheck check;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
        check.problem = ConnectionCheck::NoQtDriver;
        return check;
    }
    Handles h;
    SQLSetConnectAttr(h.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(loginTimeoutSeconds), 0);
    QByteArray dsn = local(dataSource), uid = local(user), pwd = local(password);
    const SQLRETURN r =
        SQLConnect(h.dbc, chars(dsn), SQL_NTS, chars(uid), SQL_NTS, chars(pwd), SQL_NTS);
    if (!SQL_SUCCEEDED(r)) {
        const Diagnostic d = diagnostic(SQL_HANDLE_DBC, h.dbc);
        check.problem = problemOf(d, dataSource);
        check.sqlState = d.state;
        check.message = d.message;
        return check;
    }
    h.connected = true;

    // The statement the board sends before every refresh.
    QByteArray health("Select Count(*) from Foretag");
    SQLAllocHandle(SQL_HANDLE_STMT, h.dbc, &h.stmt);
    if (!SQL_SUCCEEDED(SQLExecDirect(h.stmt, chars(health), SQL_NTS))) {
        const Diagnostic d = diagnostic(SQL_HANDLE_STMT, h.stmt);
        check.problem = ConnectionCheck::NoTables;
        check.sqlState = d.state;
        check.message = d.message;
        return check;
    }
    // SQL Server without MARS takes no other statement while this one has rows left.
    SQLCloseCursor(h.stmt);
    checkPictureLength(h.dbc, check);
    return check;
}

QString ConnectionCheck::explanation(const QString &dataSource, const QString &user) const
{
    QString text;
    switch (problem) {
    case None:
        return QStringLiteral("The connection to the data source '%1' works.").arg(dataSource);
    case NoQtDriver:
        return QStringLiteral("Qt's ODBC driver is not installed: apt-get install libqt6sql6-odbc");
    case NoDataSource:
        text = QStringLiteral("There is no data source named '%1'. Define it in /etc/odbc.ini "
                              "(or ~/.odbc.ini); 'odbcinst -q -s' lists the data sources known.")
                   .arg(dataSource);
        break;
    case NoDriver: {
        const QString driver = dataSourceSetting(dataSource, QStringLiteral("Driver"));
        text = QStringLiteral("The ODBC driver of the data source '%1' (Driver=%2) cannot be "
                              "loaded. Install it (tdsodbc for SQL Server, odbc-postgresql for "
                              "PostgreSQL) and name its library in /etc/odbcinst.ini; "
                              "'odbcinst -q -d' lists the drivers known.")
                   .arg(dataSource, driver);
        break;
    }
    case Unreachable:
        text = QStringLiteral(
                   "The database server of the data source '%1' cannot be reached. "
                   "Check the server and the port in its odbc.ini entry, that the server runs, "
                   "the network, and that no firewall blocks the port (1433 for SQL "
                   "Server).")
                   .arg(dataSource);
        break;
    case LoginRefused:
        text = QStringLiteral("The database server refused the login of the user '%1'. Check the "
                              "user name and the password.")
                   .arg(user);
        break;
    case NoTables:
        text = QStringLiteral("Connected, but the board's check 'Select Count(*) from Foretag' "
                              "fails: the data source '%1' does not lead to the point-of-sale "
                              "database (Database in its odbc.ini entry?).")
                   .arg(dataSource);
        break;
    case CutPictures:
        return QStringLiteral(
                   "Connected, but the pictures arrive cut short: the newest ticket (ID %1) "
                   "holds %2 bytes in the database and %3 arrived. With FreeTDS set "
                   "'TextSize = 2147483647' in the data source '%4' (or 'text size = "
                   "2147483647' in /etc/freetds/freetds.conf); the board would show every "
                   "such ticket as one it cannot read.")
            .arg(ticket)
            .arg(storedBytes)
            .arg(receivedBytes)
            .arg(dataSource);
    case Other:
        text = QStringLiteral("The connection to the data source '%1' failed.").arg(dataSource);
        break;
    }
    if (!sqlState.isEmpty() || !message.isEmpty())
        text += QStringLiteral("\nThe driver said (SQLSTATE %1): %2").arg(sqlState, message);
    return text;
}
