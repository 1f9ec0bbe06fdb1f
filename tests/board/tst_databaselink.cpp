#include "FileHelpers.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "Unprivileged.h"
#include "board/DatabaseLink.h"
#include "db/DataSourceRepair.h"
#include "db/Query.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"
#include "pos/Scramble.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString scrambled(const QString &password)
{
    return Scramble(u"E"_s, password, u"VarkoAB"_s);
}

} // namespace

// A link in an installation folder of its own, on a data source whose database can be taken away
// and brought back. Its "second" lasts a few milliseconds.
struct LinkFixture
{
    OdbcFixture &odbc = OdbcFixture::instance();
    const QString dsn = odbc.uniqueName(u"Kassa"_s);
    QTemporaryDir install;
    QTimer updateTimer;
    DatabaseLink link {updateTimer};
    QStringList statuses;
    QStringList reports;
    int loads = 0;
    int reloads = 0;
    int ends = 0;
    std::function<void(const QString &)> atStatus; // runs at each status text

    LinkFixture()
    {
        setInstallDirOverride(install.path());
        odbc.addDataSource(dsn);
        writeBytes(odbc.databaseFile(dsn), {}); // an empty file is an empty database
        {
            TDatabase db;
            db.setAliasName(dsn);
            db.open();
            PosDatabase(db).createSchema();
        }
        updateTimer.setInterval(10000);
        link.secondMs = 10;
        link.hooks.setStatus = [this](const QString &s) {
            statuses.append(s);
            if (atStatus)
                atStatus(s);
        };
        link.hooks.loadBongs = [this](DatabaseLink::Then then) {
            ++loads;
            if (then)
                then();
        };
        link.hooks.reloadBongs = [this](DatabaseLink::Then then) {
            ++reloads;
            if (then)
                then();
        };
        link.hooks.endApplication = [this] {
            ++ends;
        };
        ErrorReport::setSink(
            [this](ErrorReport::Kind kind, const QString &title, const QString &text) {
                reports.append((kind == ErrorReport::Kind::Error ? u"error|"_s : u"warning|"_s)
                               + title + u'|' + text);
            });
        krumel(u"[DATABAS]\r\nALIAS=%1\r\n"_s.arg(dsn));
    }

    // Until the sequence under way, and every call it made, has ended.
    bool settle()
    {
        return QTest::qWaitFor([this] { return !link.connecting() && !link.database().busy(); },
                               20000);
    }

    ~LinkFixture()
    {
        ErrorReport::setSink({});
        setInstallDirOverride({});
    }

    void krumel(const QString &content, const QString &name = u"krumel.ini"_s)
    {
        writeBytes(install.filePath(name), content.toLatin1());
    }

    QStringList log() const
    {
        return QString::fromLatin1(readBytes(install.filePath(u"tavlix.log"_s)))
            .split(u"\r\n"_s, Qt::SkipEmptyParts);
    }
    int logLines() const { return int(readBytes(install.filePath(u"tavlix.log"_s)).count("\r\n")); }

    bool hasColumn()
    {
        TDatabase db;
        db.setAliasName(dsn);
        db.open();
        TQuery q(db);
        q.setLines({u"Select BongChanged from Tavlix"_s, u"Where 1 = 0"_s});
        try {
            q.open();
            return true;
        } catch (const TavlixError &) {
            return false;
        }
    }
};

class TestDatabaseLink : public QObject
{
    Q_OBJECT

private slots:
    void connectsAtFirstAttempt()
    {
        LinkFixture f;
        f.link.ti_InitieraDB.start();
        f.link.ti_InitieraDBTimer();
        QVERIFY(f.settle());
        QVERIFY(!f.link.ti_InitieraDB.isActive());
        QCOMPARE(f.statuses, QStringList {u"Databas kontakt OK"_s});
        QVERIFY(f.updateTimer.isActive());
        QCOMPARE(f.loads, 1);
        QVERIFY(f.reports.isEmpty());
        QCOMPARE(f.link.database().userName(), u"SA"_s); // no ANVNAMN
        QCOMPARE(f.link.database().password(), QString()); // empty LOSEN, nothing unscrambled
        QVERIFY(f.hasColumn());
        QCOMPARE(f.logLines(), 0);
        QCOMPARE(dataSourceSetting(f.dsn, u"UID"_s), QString()); // no repair needed
    }

    void upgradeRunsOnlyWhenColumnIsMissing()
    {
        LinkFixture f;
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QVERIFY(f.hasColumn());
        const int sent = f.link.database().statementsSent();
        f.link.UpgradeTicketTable(); // the probe finds the column; no ALTER
        QVERIFY(f.settle());
        QCOMPARE(f.link.database().statementsSent(), sent + 1);
        QVERIFY(f.reports.isEmpty());
    }

    void connectsAtThirdAttempt()
    {
        LinkFixture f;
        f.odbc.setAway(f.dsn, true);
        f.atStatus = [&f](const QString &s) {
            if (s == u"Ej kontakt med databasen"_s) // during the ten-second wait
                f.odbc.setAway(f.dsn, false);
        };
        QElapsedTimer waited;
        waited.start();
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.statuses,
                 (QStringList {u"Ej kontakt med databasen"_s, u"Databas kontakt OK"_s}));
        QVERIFY(waited.elapsed() >= 10 * f.link.secondMs); // the ten-second wait
        QCOMPARE(f.logLines(), 1);
        QCOMPARE(dataSourceSetting(f.dsn, u"UID"_s), u"SA"_s);
        QCOMPARE(f.loads, 1);
        QCOMPARE(f.ends, 0);
    }

    void connectsAtFourthAttempt()
    {
        LinkFixture f;
        f.odbc.setAway(f.dsn, true);
        f.atStatus = [&f](const QString &s) {
            if (s == u"Ansluter igen om 10 sek"_s)
                f.odbc.setAway(f.dsn, false);
        };
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QStringList expected {u"Ej kontakt med databasen"_s, u"Försöker igen om 30 sekunder"_s};
        for (int n = 30; n >= 1; --n)
            expected.append(u"Ansluter igen om %1 sek"_s.arg(n));
        expected.append(u"Databas kontakt OK"_s);
        QCOMPARE(f.statuses, expected);
        QVERIFY(!f.link.ti_SQLForsok.isActive());
        QVERIFY(f.updateTimer.isActive());
        QCOMPARE(f.ends, 0);
    }

    void neverConnects()
    {
        LinkFixture f;
        f.odbc.setAway(f.dsn, true);
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.statuses.last(), u"Ansluter igen om 1 sek"_s);
        QCOMPARE(f.reports,
                 QStringList {u"warning|Varning|"_s + DatabaseLink::connectionFailureText()});
        QCOMPARE(f.ends, 1);
        QVERIFY(f.link.isEnding());
        QCOMPARE(f.loads, 0);
        QVERIFY(!f.updateTimer.isActive());
        QVERIFY(!f.link.ti_SQLForsok.isActive());
        QCOMPARE(f.logLines(), 1);
    }

    void failureText()
    {
        const QString text = DatabaseLink::connectionFailureText();
        QCOMPARE(text.count(u'\r'), 12);
        QVERIFY(!text.contains(u'\n'));
        QVERIFY(text.startsWith(
            u"Kunde inte ansluta till databasen - SQL Server!\rFelet kan bero på följande:\r"_s));
        QVERIFY(text.contains(u"ok\r\rIngen av"_s));
        QVERIFY(text.endsWith(u"har ändrats\r\rKontakta support!"_s));
    }

    void missingSettingsFile()
    {
        LinkFixture f;
        QFile::remove(f.install.filePath(u"krumel.ini"_s));
        f.updateTimer.start();
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.reports,
                 QStringList {u"warning|Varning|"_s + DatabaseLink::missingSettingsText()});
        QCOMPARE(f.ends, 1);
        QVERIFY(f.statuses.isEmpty());
        QVERIFY(!f.updateTimer.isActive());
    }

    void settingsFileFoundWithoutRegardToCase()
    {
        LinkFixture f;
        QFile::remove(f.install.filePath(u"krumel.ini"_s));
        f.krumel(u"[databas]\r\nalias=%1\r\n"_s.arg(f.dsn), u"KRUMEL.INI"_s);
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.statuses, QStringList {u"Databas kontakt OK"_s});
    }

    void passwordIsReadAtEveryConnect()
    {
        LinkFixture f;
        f.krumel(u"[DATABAS]\r\nALIAS=%1\r\nANVNAMN=kock\r\nLOSEN=%2\r\n"_s.arg(
            f.dsn, scrambled(u"första"_s)));
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.link.database().userName(), u"kock"_s);
        QCOMPARE(f.link.database().password(), u"första"_s);
        f.krumel(u"[DATABAS]\r\nALIAS=%1\r\nANVNAMN=kock\r\nLOSEN=%2\r\n"_s.arg(
            f.dsn, scrambled(u"andra"_s)));
        f.link.Reconnect();
        QVERIFY(f.settle());
        QCOMPARE(f.link.database().password(), u"andra"_s);
        QCOMPARE(f.statuses.mid(1),
                 (QStringList {u"Ansluter till databas"_s, u"Databas kontakt OK"_s}));
        QCOMPARE(f.reloads, 1);
        QCOMPARE(f.loads, 1);
    }

    void failedHealthCheckReconnects()
    {
        LinkFixture f;
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        bool goOn = false;
        f.link.CheckConnection([&goOn](bool ok) { goOn = ok; });
        QVERIFY(f.settle());
        QVERIFY(goOn);
        QCOMPARE(f.reloads, 0);
        f.link.database().close(); // the connection is lost
        f.updateTimer.start();
        goOn = false;
        f.link.CheckConnection([&goOn](bool ok) { goOn = ok; });
        QVERIFY(f.settle());
        QVERIFY(goOn);
        QCOMPARE(f.statuses.mid(1),
                 (QStringList {u"Ansluter till databas"_s, u"Databas kontakt OK"_s}));
        QCOMPARE(f.reloads, 1);
        QVERIFY(!f.updateTimer.isActive()); // the refresh cycle starts it again
    }

    // A system-wide definition the board's user may not write, the normal case on a kitchen PC:
    // the repair is noted in the log and the retries go on.
    void unsaveableRepairIsLoggedAndRetriesGoOn()
    {
        LinkFixture f;
        const OdbcFixture::UserFile userFile({}); // the user's own file defines nothing
        const QString system = f.odbc.iniPath();
        const QByteArray before = readBytes(system);
        const QFile::Permissions writable = QFile::permissions(system);
        QFile::setPermissions(system, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(system, writable); });
        f.odbc.setAway(f.dsn, true);
        f.atStatus = [&f](const QString &s) {
            if (s == u"Ej kontakt med databasen"_s)
                f.odbc.setAway(f.dsn, false);
        };
        {
            FilePermissionsApply asAnyUser;
            f.link.ConnectAtStart();
            QVERIFY(f.settle());
        }
        QCOMPARE(f.reports, QStringList());
        QCOMPARE(f.statuses,
                 (QStringList {u"Ej kontakt med databasen"_s, u"Databas kontakt OK"_s}));
        QCOMPARE(f.loads, 1);
        QVERIFY(f.updateTimer.isActive());
        const QStringList log = f.log();
        QCOMPARE(log.size(), 2); // the repair, then the second attempt
        QVERIFY2(
            log.first().endsWith(
                u" Fel: Could not save UID=SA in the data source '%1' of %2"_s.arg(f.dsn, system)),
            qPrintable(log.first()));
        QCOMPARE(readBytes(system), before);
        QCOMPARE(readBytes(userFile.path()), QByteArray());
    }

    // These failures stop the sequence and go to the general error report; the refresh timer
    // stays stopped and the board does not end.
    void failuresStopTheSequence_data()
    {
        QTest::addColumn<QString>("krumel");
        QTest::addColumn<bool>("blockLog");
        QTest::addColumn<QString>("report");
        QTest::newRow("non-hex password") << u"[DATABAS]\r\nALIAS=%1\r\nLOSEN=12XY\r\n"_s << false
                                          << u"error|Tavlix|'$XY' is not a valid integer value."_s;
        QTest::newRow("repair of an unknown data source")
            << u"[DATABAS]\r\nALIAS=Saknas%1\r\n"_s << false
            << u"error|Tavlix|Unknown data source 'Saknas"_s;
        QTest::newRow("log cannot be written")
            << u"[DATABAS]\r\nALIAS=%1\r\n"_s << true << u"error|Tavlix|I/O error writing"_s;
    }

    void failuresStopTheSequence()
    {
        QFETCH(QString, krumel);
        QFETCH(bool, blockLog);
        QFETCH(QString, report);
        LinkFixture f;
        f.krumel(krumel.arg(f.dsn));
        if (blockLog) {
            f.odbc.setAway(f.dsn, true);
            QDir(f.install.path()).mkdir(u"tavlix.log"_s);
        }
        f.link.ti_InitieraDBTimer();
        QVERIFY(f.settle());
        QCOMPARE(f.reports.size(), 1);
        QVERIFY2(f.reports.first().startsWith(report), qPrintable(f.reports.first()));
        QVERIFY(!f.updateTimer.isActive());
        QCOMPARE(f.ends, 0);
        QCOMPARE(f.loads, 0);
        QVERIFY(!f.link.ti_SQLForsok.isActive());
    }

    // A login that may not alter the table: the log says why the column is missing, no box
    // waits for a press, and the tickets load.
    void failingAlterIsLoggedAndTheTicketsLoad()
    {
        LinkFixture f;
        {
            TDatabase db;
            db.setAliasName(f.dsn);
            db.open();
            TQuery drop(db);
            drop.setLines({u"DROP TABLE Tavlix"_s});
            drop.execSql();
        }
        f.link.ti_InitieraDBTimer();
        QVERIFY(f.settle());
        QCOMPARE(f.reports, QStringList());
        QCOMPARE(f.loads, 1);
        QVERIFY(f.updateTimer.isActive());
        QCOMPARE(f.logLines(), 1);
        QVERIFY2(
            f.log().first().contains(u"Kolumnen BongChanged kunde inte läggas till i Tavlix: "_s)
                && f.log().first().contains(u"no such table"_s),
            qPrintable(f.log().first()));
    }

    // The repair writes SA only for a board that logs in as SA; another login's data source stays
    // as it is.
    void repairOnlyForTheSaLogin_data()
    {
        QTest::addColumn<QString>("anvnamn");
        QTest::addColumn<QString>("uid");
        QTest::newRow("no ANVNAMN") << QString() << u"SA"_s;
        QTest::newRow("SA") << u"sa"_s << u"SA"_s;
        QTest::newRow("another login") << u"kds"_s << QString();
    }

    void repairOnlyForTheSaLogin()
    {
        QFETCH(QString, anvnamn);
        QFETCH(QString, uid);
        LinkFixture f;
        if (!anvnamn.isEmpty())
            f.krumel(u"[DATABAS]\r\nALIAS=%1\r\nANVNAMN=%2\r\n"_s.arg(f.dsn, anvnamn));
        f.odbc.setAway(f.dsn, true);
        f.atStatus = [&f](const QString &s) {
            if (s == u"Ej kontakt med databasen"_s)
                f.odbc.setAway(f.dsn, false);
        };
        f.link.ConnectAtStart();
        QVERIFY(f.settle());
        QCOMPARE(f.statuses.last(), u"Databas kontakt OK"_s);
        QCOMPARE(dataSourceSetting(f.dsn, u"UID"_s), uid);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseLink)
#include "tst_databaselink.moc"
