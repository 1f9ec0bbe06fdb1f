#include "FileHelpers.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "Unprivileged.h"
#include "db/DataSourceRepair.h"
#include "db/Database.h"
#include "db/Query.h"
#include "pos/IniFile.h"
#include "pos/TavlixError.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

#include <odbcinst.h>

namespace {

bool opens(const QString &dsn)
{
    TDatabase db;
    db.setAliasName(dsn);
    try {
        db.open();
        return true;
    } catch (const TavlixError &) {
        return false;
    }
}

// An installer's note; the ODBC library drops comments when it rewrites a file, so a file that
// keeps it was not rewritten.
const QByteArray note = "# set up by the installer\n";

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_odbc.addDataSource(QStringLiteral("Kassa"), false);
        m_odbc.addDataSource(QStringLiteral("Borta"), true);
        m_odbc.addDataSource(QStringLiteral("Repair"), false);
    }

    void openByDataSourceName()
    {
        TDatabase db;
        db.setAliasName(QStringLiteral("Kassa"));
        db.setParams(QStringLiteral("SA"), QStringLiteral("pw;x}"));
        db.open();
        QVERIFY(db.isOpen());
        QVERIFY(db.isSqlite());
        db.close();
        db.close(); // closing a closed connection does nothing
        QVERIFY(!db.isOpen());
    }

    // SQL Server alone is told, after every connect, not to cut pictures at 4 KB.
    void statementsAfterConnect_data()
    {
        QTest::addColumn<QString>("dbms");
        QTest::addColumn<QStringList>("statements");
        const QStringList textSize {QStringLiteral("SET TEXTSIZE 2147483647")};
        QTest::newRow("SQL Server") << QStringLiteral("Microsoft SQL Server") << textSize;
        QTest::newRow("as FreeTDS spells it") << QStringLiteral("microsoft sql server") << textSize;
        QTest::newRow("PostgreSQL") << QStringLiteral("PostgreSQL") << QStringList();
        QTest::newRow("SQLite") << QStringLiteral("SQLite") << QStringList();
        QTest::newRow("unknown") << QString() << QStringList();
    }

    void statementsAfterConnect()
    {
        QFETCH(QString, dbms);
        QFETCH(QStringList, statements);
        QCOMPARE(TDatabase::statementsAfterConnect(dbms), statements);
    }

    void nothingFollowsAConnectToSqlite()
    {
        TDatabase db;
        db.setAliasName(QStringLiteral("Kassa"));
        db.open();
        QCOMPARE(db.recentStatements(), QStringList());
        db.close();
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("dsn");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("unknown data source") << "Okand"
                                             << "Data source name not found";
        QTest::newRow("database away") << "Borta"
                                       << "connect failed";
        // Without the check the driver manager would hand "DSN=" to the SQLite driver, which
        // opens a database file of that name in the working directory.
        QTest::newRow("no data source name") << ""
                                             << "No data source name";
        QTest::newRow("blank data source name") << "  "
                                                << "No data source name";
    }

    void openFailures()
    {
        QFETCH(QString, dsn);
        QFETCH(QString, fragment);
        const QStringList filesBefore = QDir::current().entryList(QDir::Files);
        TDatabase db;
        db.setAliasName(dsn);
        try {
            db.open();
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QVERIFY2(e.message().contains(fragment, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(QDir::current().entryList(QDir::Files), filesBefore);
    }

    void statementObject()
    {
        TDatabase db;
        db.setAliasName(QStringLiteral("Kassa"));
        db.open();
        PosDatabase pos(db);
        pos.createSchema();
        const QDateTime created(QDate(2026, 12, 10), QTime(11, 30, 15));
        pos.insertTicket(pos.deviceNumber(QStringLiteral("Kök")), 0, std::nullopt, created,
                         QByteArray("BM\x01\x00", 4));
        pos.insertTicket(pos.deviceNumber(QStringLiteral("Bar")), 1, 754, created.addSecs(60),
                         QByteArray());

        TQuery q(db);
        q.addLine(QStringLiteral("Select * from Tavlix"));
        q.addLine(QStringLiteral("Order by ID"));
        QCOMPARE(q.text(), QStringLiteral("Select * from Tavlix\r\nOrder by ID"));
        const int before = db.statementsSent();
        q.open();
        QCOMPARE(db.statementsSent(), before + 1);
        QVERIFY(!q.eof());
        QCOMPARE(q.fieldAsString(QStringLiteral("id")), u"1");
        QCOMPARE(q.fieldAsInteger(QStringLiteral("SEKUNDER")), 0); // NULL reads as 0
        QCOMPARE(q.fieldAsDateTime(QStringLiteral("skapad")), created);
        QCOMPARE(q.fieldAsBytes(QStringLiteral("Bong")), QByteArray("BM\x01\x00", 4));
        q.next();
        QVERIFY(!q.eof());
        QCOMPARE(q.fieldAsInteger(QStringLiteral("Sekunder")), 754);
        q.next();
        QVERIFY(q.eof());
        QVERIFY_THROWS_EXCEPTION(TavlixError, q.fieldAsString(QStringLiteral("ID")));

        q.close();
        q.clearSql();
        q.addLine(QStringLiteral("Select Namn from FavUt order By Namn"));
        q.open();
        QCOMPARE(q.fieldAsString(QStringLiteral("namn")), QStringLiteral("Bar"));
        QVERIFY_THROWS_EXCEPTION(TavlixError, q.fieldAsString(QStringLiteral("Saknas")));

        q.clearSql();
        q.addLine(QStringLiteral("Select * from Saknas"));
        try {
            q.open();
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("no such table")),
                     qPrintable(e.message()));
        }
    }

    // SQLite does not know VarBinary(Max); the access layer maps it, and only it.
    void varBinaryMaxOnSqlite()
    {
        TDatabase db;
        db.setAliasName(QStringLiteral("Kassa"));
        db.open();
        PosDatabase(db).createSchema();
        TQuery q(db);
        q.addLine(QStringLiteral("Alter table Tavlix Add BongChanged VarBinary(Max) "));
        q.execSql();
        q.clearSql();
        q.addLine(QStringLiteral("Select BongChanged from Tavlix"));
        q.addLine(QStringLiteral("Where 1 = 0"));
        q.open();
        QVERIFY(q.eof());
    }

    void repairWritesUserName()
    {
        QCOMPARE(dataSourceSetting(QStringLiteral("Repair"), QStringLiteral("UID")), QString());
        repairDataSource(QStringLiteral("Repair"));
        QCOMPARE(dataSourceSetting(QStringLiteral("Repair"), QStringLiteral("UID")), u"SA");
        QFile ini(m_odbc.iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("UID"));
        QVERIFY(text.contains("[Kassa]")); // the other data sources stay
        // A later open uses it.
        TDatabase db;
        db.setAliasName(QStringLiteral("Repair"));
        db.open();
    }

    // The user name goes into the definition in use: the user's own when the user's file has one,
    // otherwise the system-wide one. The other file is left as it was.
    void repairWritesWhereTheDataSourceIsDefined_data()
    {
        QTest::addColumn<bool>("inUserFile");
        QTest::addColumn<bool>("inSystemFile");
        QTest::addColumn<QByteArray>("userName"); // UID in the definitions; none when empty
        QTest::addColumn<QString>("written"); // "user", "system", or empty for no write
        QTest::newRow("user file") << true << false << QByteArray() << "user";
        QTest::newRow("system file") << false << true << QByteArray() << "system";
        QTest::newRow("both files: the user's definition is used")
            << true << true << QByteArray() << "user";
        QTest::newRow("other user name in the system file")
            << false << true << QByteArray("kock") << "system";
        QTest::newRow("SA already in the user file") << true << false << QByteArray("SA") << "";
        QTest::newRow("SA already in the system file") << false << true << QByteArray("SA") << "";
    }

    void repairWritesWhereTheDataSourceIsDefined()
    {
        QFETCH(bool, inUserFile);
        QFETCH(bool, inSystemFile);
        QFETCH(QByteArray, userName);
        QFETCH(QString, written);
        // Fresh names: the ODBC library keeps what it read for a while.
        const QString dsn = m_odbc.uniqueName(QStringLiteral("Definierad"));
        const QString userOnly = m_odbc.uniqueName(QStringLiteral("Egen"));
        const QByteArray uid = userName.isEmpty() ? QByteArray() : "UID=" + userName + "\n";

        const QByteArray user = note + m_odbc.definition(userOnly, false)
            + (inUserFile ? m_odbc.definition(dsn, false, uid) : QByteArray());
        const OdbcFixture::UserFile userFile(user);
        if (inSystemFile)
            m_odbc.addDataSource(dsn, false, uid);
        const QString system = m_odbc.iniPath();
        writeBytes(system, note + readBytes(system));
        const QByteArray systemBefore = readBytes(system);

        repairDataSource(dsn);

        const QString changed = written == u"user" ? userFile.path() : system;
        if (written != u"user")
            QCOMPARE(readBytes(userFile.path()), user);
        if (written != u"system")
            QCOMPARE(readBytes(system), systemBefore);
        if (!written.isEmpty()) {
            QCOMPARE(IniFile::readString(changed, dsn, QStringLiteral("UID"), {}), u"SA");
            QCOMPARE(IniFile::readString(changed, dsn, QStringLiteral("Driver"), {}), u"SQLite3");
        }
        // Every data source still opens as defined, whichever file holds it.
        QVERIFY(opens(dsn));
        QVERIFY(opens(userOnly));
        QVERIFY(opens(QStringLiteral("Kassa")));
        // Later look-ups of any program in this process see both files again.
        UWORD mode = ODBC_USER_DSN;
        SQLGetConfigMode(&mode);
        QCOMPARE(mode, UWORD(ODBC_BOTH_DSN));
    }

    // A definition the board's user may not write raises its own error and leaves both files.
    void unsaveableRepairRaises_data()
    {
        QTest::addColumn<bool>("inUserFile");
        QTest::newRow("read-only system file") << false;
        QTest::newRow("read-only user file") << true;
    }

    void unsaveableRepairRaises()
    {
        QFETCH(bool, inUserFile);
        const QString dsn = m_odbc.uniqueName(QStringLiteral("Skyddad"));
        const QByteArray user = note + (inUserFile ? m_odbc.definition(dsn) : QByteArray());
        const OdbcFixture::UserFile userFile(user);
        if (!inUserFile)
            m_odbc.addDataSource(dsn);
        const QString system = m_odbc.iniPath();
        const QByteArray systemBefore = readBytes(system);
        const QString file = inUserFile ? userFile.path() : system;
        const QFile::Permissions writable = QFile::permissions(file);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(file, writable); });

        QString message;
        {
            FilePermissionsApply asAnyUser;
            try {
                repairDataSource(dsn);
            } catch (const DataSourceNotSaved &e) {
                message = e.message();
            }
        }
        QCOMPARE(
            message,
            QStringLiteral("Could not save UID=SA in the data source '%1' of %2").arg(dsn, file));
        QCOMPARE(readBytes(userFile.path()), user);
        QCOMPARE(readBytes(system), systemBefore);
    }

    void repairOfUnknownDataSourceRaises()
    {
        try {
            repairDataSource(QStringLiteral("Finns inte"));
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QCOMPARE(e.message(), QStringLiteral("Unknown data source 'Finns inte'"));
        }
    }

private:
    OdbcFixture &m_odbc = OdbcFixture::instance();
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
