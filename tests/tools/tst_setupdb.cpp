// tavlix-setup-db from the build: the settings it writes for the board and what it says of the
// data source, against real SQLite data sources and broken ones.
#include "FileHelpers.h"
#include "OdbcFixture.h"
#include "PgFixture.h"
#include "PosDatabase.h"
#include "db/Database.h"
#include "pos/IniFile.h"
#include "pos/KioskPin.h"
#include "pos/Scramble.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run setupDb(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess p;
    p.start(QStringLiteral(TAVLIX_SETUP_DB), arguments);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// A data source entry of the private ODBC configuration, as odbc.ini text.
QString addEntry(const QString &stem, const QByteArray &lines)
{
    OdbcFixture &odbc = OdbcFixture::instance();
    const QString dsn = odbc.uniqueName(stem);
    QFile ini(odbc.iniPath());
    if (ini.open(QIODevice::Append))
        ini.write("[" + dsn.toLatin1() + "]\n" + lines + "\n");
    return dsn;
}

} // namespace

class TestSetupDb : public QObject
{
    Q_OBJECT

private slots:
    void writesTheSettingsAndTellsWhatIsWrong_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("connects") << u"ticket tables"_s << 0 << u"works"_s;
        QTest::newRow("no such data source") << u"none"_s << 3 << u"no data source named"_s;
        QTest::newRow("driver library missing")
            << u"driver missing"_s << 3 << u"cannot be loaded"_s;
        QTest::newRow("driver not registered")
            << u"driver unknown"_s << 3 << u"(Driver=NoSuchDriver) cannot be loaded"_s;
        QTest::newRow("not the point-of-sale database") << u"empty"_s << 3 << u"Foretag"_s;
        QTest::newRow("pictures arrive whole") << u"tickets"_s << 0 << u"works"_s;
        // The server counts the newest ticket's characters, not its bytes: what a driver that
        // cuts values looks like to the check.
        QTest::newRow("pictures cut short")
            << u"cut tickets"_s << 3 << u"'TextSize = 2147483647' in the data source"_s;
    }

    void writesTheSettingsAndTellsWhatIsWrong()
    {
        QFETCH(QString, source);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        OdbcFixture &odbc = OdbcFixture::instance();
        QString dsn;
        if (source.endsWith(u"tables"_s) || source.endsWith(u"tickets"_s)) {
            dsn = odbc.addDataSource(odbc.uniqueName(u"Setup"_s), false);
            TDatabase db;
            db.setAliasName(dsn);
            db.open();
            PosDatabase pos(db);
            pos.createSchema();
            const QDateTime t(QDate(2026, 12, 10), QTime(12, 0));
            if (source.endsWith(u"tickets"_s))
                pos.insertTicket(1, 0, std::nullopt, t, QByteArray(70000, 'x'));
            if (source == u"cut tickets") {
                QSqlQuery text(db.handle());
                QVERIFY(text.exec(u"INSERT INTO Tavlix (ID, LopNrFavUt, Status, Skapad, Bong) "
                                  "VALUES (2, 1, 0, '2026-12-10 12:00:00', 'åäöåäö')"_s));
            }
        } else if (source == u"empty") {
            dsn = odbc.addDataSource(odbc.uniqueName(u"Empty"_s), false);
        } else if (source == u"driver missing") {
            dsn = addEntry(u"NoLib"_s, "Driver=/nonexistent/libgone-odbc.so\nDatabase=x.db");
        } else if (source == u"driver unknown") {
            dsn = addEntry(u"NoDriver"_s, "Driver=NoSuchDriver\nDatabase=x.db");
        } else {
            dsn = odbc.uniqueName(u"Nowhere"_s);
        }

        QTemporaryDir board;
        const Run run = setupDb({u"--dsn"_s, dsn, u"--user"_s, u"kock"_s, u"--dir"_s, board.path()},
                                "hemligt\n");
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
        QVERIFY2((exitCode == 0 ? run.out : run.err).contains(says, Qt::CaseInsensitive),
                 qPrintable(run.out + run.err));

        // Written whatever the check found, so that the data source can be mended afterwards.
        const QString krumel = board.filePath(u"krumel.ini"_s);
        QCOMPARE(IniFile::readString(krumel, u"DATABAS"_s, u"ALIAS"_s, {}), dsn);
        QCOMPARE(IniFile::readString(krumel, u"DATABAS"_s, u"ANVNAMN"_s, {}), u"kock"_s);
        const QString losen = IniFile::readString(krumel, u"DATABAS"_s, u"LOSEN"_s, {});
        QCOMPARE(losen.size(), 16);
        QCOMPARE(Scramble(u"D"_s, losen, u"VarkoAB"_s), u"hemligt"_s);
        QCOMPARE(QFile::permissions(krumel) & 0x0007, QFile::Permissions()); // nothing for others
    }

    // On PostgreSQL the check asks the server for the picture's length its own way.
    void picturesArriveWholeFromPostgres()
    {
        if (const QString why = PgFixture::missing(); !why.isEmpty())
            QSKIP(qPrintable(why));
        PgFixture pg;
        QVERIFY2(pg.setUp(), qPrintable(pg.error()));
        {
            TDatabase db;
            pg.connect(db);
            PosDatabase(db).insertTicket(1, 0, std::nullopt, QDateTime::currentDateTime(),
                                         QByteArray(70000, 'x'));
        }
        QTemporaryDir board;
        const Run run =
            setupDb({u"--dsn"_s, pg.dataSource(), u"--user"_s, QString::fromLatin1(PgFixture::user),
                     u"--password-stdin"_s, u"--dir"_s, board.path()},
                    QByteArray(PgFixture::password) + "\n");
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(u"works"_s), qPrintable(run.out));
    }

    // Nobody but the owner and the board's group ever reads the file: created with its final
    // mode whatever the umask, an existing readable one narrowed, a link or another kind of file
    // in its place refused, and whatever such a link points to left as it was.
    void keepsTheFilePrivate_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("written");
        QTest::newRow("new, under umask 0") << u"nothing"_s << true;
        QTest::newRow("existing, readable by all") << u"0644 file"_s << true;
        QTest::newRow("a link to another file") << u"link"_s << false;
        QTest::newRow("a link to nowhere") << u"dangling link"_s << false;
        QTest::newRow("a directory") << u"directory"_s << false;
        QTest::newRow("a second name of another file") << u"hard link"_s << false;
    }

    void keepsTheFilePrivate()
    {
        QFETCH(QString, planted);
        QFETCH(bool, written);
        QTemporaryDir board;
        QTemporaryDir elsewhere;
        const QString krumel = board.filePath(u"krumel.ini"_s);
        const QString target = elsewhere.filePath(u"cron"_s);
        writeBytes(target, "kept\n");
        if (planted == u"0644 file"_s) {
            writeBytes(krumel, "[ANNAT]\r\nNYCKEL=kvar\r\n");
            QFile::setPermissions(krumel, QFile::Permissions(0x6644));
        } else if (planted == u"link"_s) {
            QVERIFY(QFile::link(target, krumel));
        } else if (planted == u"dangling link"_s) {
            QVERIFY(QFile::link(elsewhere.filePath(u"new"_s), krumel));
        } else if (planted == u"directory"_s) {
            QVERIFY(QDir(board.path()).mkdir(u"krumel.ini"_s));
        } else if (planted == u"hard link"_s) {
            QVERIFY(::link(QFile::encodeName(target).constData(), QFile::encodeName(krumel)) == 0);
        }
        const mode_t before = ::umask(0);
        const Run run = setupDb({u"--dsn"_s, u"Kassa"_s, u"--password-stdin"_s, u"--no-check"_s,
                                 u"--dir"_s, board.path()},
                                "hemligt\n");
        ::umask(before);
        QCOMPARE(readBytes(target), QByteArray("kept\n"));
        QVERIFY(!QFile::exists(elsewhere.filePath(u"new"_s)));
        if (!written) {
            QVERIFY2(run.exitCode != 0, qPrintable(run.out));
            QVERIFY2(run.err.contains(u"krumel.ini"_s), qPrintable(run.err));
            return;
        }
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(QFile::permissions(krumel),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                     | QFile::ReadGroup);
        QCOMPARE(IniFile::readString(krumel, u"DATABAS"_s, u"ALIAS"_s, {}), u"Kassa"_s);
        QCOMPARE(Scramble(u"D"_s, IniFile::readString(krumel, u"DATABAS"_s, u"LOSEN"_s, {}),
                          u"VarkoAB"_s),
                 u"hemligt"_s);
        if (planted == u"0644 file"_s)
            QCOMPARE(IniFile::readString(krumel, u"ANNAT"_s, u"NYCKEL"_s, {}), u"kvar"_s);
    }

    // tavlix-pin stores a salted hash of the PIN read from standard input, as privately as
    // krumel.ini, and removes it again.
    void setsAndClearsTheKioskPin()
    {
        QTemporaryDir board;
        const QString file = board.filePath(u"kiosk.ini"_s);
        const auto pin = [&](const QStringList &args, const QByteArray &input) {
            QProcess p;
            p.start(QStringLiteral(TAVLIX_PIN), args + QStringList {u"--dir"_s, board.path()});
            p.write(input);
            p.closeWriteChannel();
            return p.waitForFinished(30000) ? p.exitCode() : -1;
        };
        QCOMPARE(pin({}, "12\n"), 2); // too short
        QVERIFY(!QFile::exists(file));
        QCOMPARE(pin({}, "2468\n"), 0);
        const QString entry = IniFile::readString(file, u"KIOSK"_s, u"PIN"_s, {});
        QVERIFY(!entry.contains(u"2468"_s));
        QVERIFY(KioskPin::matches(entry, u"2468"_s));
        QCOMPARE(QFile::permissions(file) & 0x0007, QFile::Permissions());
        QCOMPARE(pin({u"--clear"_s}, {}), 0);
        QCOMPARE(IniFile::readString(file, u"KIOSK"_s, u"PIN"_s, u"-"_s), QString());
    }

    // The file the point-of-sale installation wrote, under another case, is updated in place.
    void updatesTheExistingFile()
    {
        QTemporaryDir board;
        const QString existing = board.filePath(u"KRUMEL.INI"_s);
        writeBytes(existing, "[DATABAS]\r\nALIAS=Gammal\r\nLOSEN=00\r\n[ANNAT]\r\nNYCKEL=kvar\r\n");
        const Run run = setupDb(
            {u"--dsn"_s, u"Ny"_s, u"--no-password"_s, u"--no-check"_s, u"--dir"_s, board.path()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QDir(board.path()).entryList({u"*.ini"_s}, QDir::Files),
                 QStringList {u"KRUMEL.INI"_s});
        QCOMPARE(
            readBytes(existing),
            QByteArray(
                "[DATABAS]\r\nALIAS=Ny\r\nLOSEN=\r\nANVNAMN=SA\r\n[ANNAT]\r\nNYCKEL=kvar\r\n"));
    }

    void needsADataSource()
    {
        QTemporaryDir board;
        const Run run = setupDb({u"--dir"_s, board.path(), u"--no-password"_s});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(u"--dsn"_s));
        QVERIFY(!QFile::exists(board.filePath(u"krumel.ini"_s)));
    }
};

QTEST_MAIN(TestSetupDb)
#include "tst_setupdb.moc"
