// The whole road of a ticket, with the real program in a real X server: inserted by the
// point-of-sale side, shown on the board, finished with a click, written back.
#include "BoardScreen.h"
#include "FileHelpers.h"
#include "KitchenTickets.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "XSession.h"
#include "board/PageColumn.h"
#include "db/Database.h"
#include "db/Query.h"
#include "pos/IniFile.h"

#include <QDir>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace BoardScreen;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    XSession m_x;
    std::unique_ptr<QTemporaryDir> m_install;
    QString m_dsn;
    std::unique_ptr<TDatabase> m_db;
    std::unique_ptr<PosDatabase> m_pos;
    QProcess m_board;
    QRandomGenerator m_random {5};

    // A demo-like installation: the executable with its files beside it and its own database.
    void install(bool withKrumel = true, bool reachable = true)
    {
        OdbcFixture &odbc = OdbcFixture::instance();
        m_install = std::make_unique<QTemporaryDir>();
        m_dsn = odbc.addDataSource(odbc.uniqueName(u"E2E"_s), !reachable);
        QFile::copy(QStringLiteral(TAVLIX_EXE), path(u"Tavlix"_s));
        QFile::setPermissions(path(u"Tavlix"_s), QFile::Permissions(0x7755));
        if (withKrumel)
            writeBytes(path(u"krumel.ini"_s), "[DATABAS]\r\nALIAS=" + m_dsn.toLatin1() + "\r\n");
        if (reachable) {
            m_db = std::make_unique<TDatabase>();
            m_db->setAliasName(m_dsn);
            m_db->open();
            m_pos = std::make_unique<PosDatabase>(*m_db);
            m_pos->createSchema();
        }
    }

    QString path(const QString &name) const { return m_install->filePath(name); }

    int ticket(int ageSeconds) { return insertKitchenTicket(*m_pos, m_random, ageSeconds); }

    void startBoard(const QProcessEnvironment &extra = {})
    {
        QProcessEnvironment env = m_x.environment();
        for (const QString &key : extra.keys())
            env.insert(key, extra.value(key));
        m_board.setProcessEnvironment(env);
        m_board.setWorkingDirectory(m_install->path());
        m_board.setProcessChannelMode(QProcess::MergedChannels);
        m_board.start(path(u"Tavlix"_s), {});
        QVERIFY2(m_board.waitForStarted(10000), "the board did not start");
    }

    QString boardWindow() const
    {
        return m_x.xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tavlix$"_s})
            .section(u'\n', 0, 0);
    }

    QVariantList row(int id)
    {
        QSqlQuery q(m_db->handle());
        q.exec(u"SELECT Status, Sekunder FROM Tavlix WHERE ID = %1"_s.arg(id));
        q.next();
        return {q.value(0), q.value(1)};
    }

    QPoint klaraTab() const
    {
        // The same tab column, laid out by the same style, tells where the second tab stands.
        PageColumn tabs;
        QFont font(u"Arial"_s);
        font.setPixelSize(13);
        tabs.setFont(font);
        tabs.addPage(new QWidget, u"Pågående"_s);
        tabs.addPage(new QWidget, u"Klara"_s);
        tabs.resize(1920, 1080 - 36);
        tabs.show();
        return tabs.tabBar()->tabRect(1).center() + QPoint(1920 - PageColumn::tabColumnWidth, 36);
    }

private slots:
    void initTestCase() { QVERIFY2(m_x.start(), "Xvfb or openbox did not start"); }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            m_x.saveFailureScreenshot();
            qWarning("board output: %s", m_board.readAll().constData());
        }
        if (m_board.state() != QProcess::NotRunning) {
            m_board.kill();
            m_board.waitForFinished(5000);
        }
        m_pos.reset();
        m_db.reset();
        m_install.reset();
    }

    void startUpAndTheRoadOfATicket()
    {
        install();
        ticket(1200); // red
        ticket(700); // yellow
        QElapsedTimer sinceStart;
        sinceStart.start();
        startBoard();
        QVERIFY2(XSession::waitFor([this] { return !boardWindow().isEmpty(); }, 10000),
                 "no window titled Tavlix");
        QCOMPARE(m_x.geometry(boardWindow()), QRect(0, 0, 1920, 1080));
        QImage shot;
        QVERIFY(XSession::waitFor(
            [&] { return statusShows(shot = m_x.screenshot(), u"Databas kontakt OK"_s); }, 8000));
        QVERIFY2(sinceStart.elapsed() >= 1000,
                 "the status line was written before the one-second start");
        QSqlQuery probe(m_db->handle());
        QVERIFY2(probe.exec(u"SELECT BongChanged FROM Tavlix WHERE 1 = 0"_s),
                 "no BongChanged column");

        QVERIFY(XSession::waitFor(
            [&] { return near(m_x.screenshot().pixelColor(footer(0, 2)), yellow); }, 5000));
        shot = m_x.screenshot();
        QVERIFY(near(shot.pixelColor(footer(0, 1)), red));
        const int third = ticket(0); // arrives while the board runs: the next cycle shows it
        QVERIFY2(XSession::waitFor(
                     [&] { return near(m_x.screenshot().pixelColor(footer(0, 3)), green); }, 20000),
                 "the new ticket did not appear");

        // "OK" on the second card: written back with its age, the third moves into its place.
        m_x.click(okButton(0, 2));
        QVERIFY(XSession::waitFor([&] { return row(2).first().toInt() == 1; }, 5000));
        QVERIFY(row(2).at(1).toInt() >= 700);
        QVERIFY(XSession::waitFor(
            [&] { return near(m_x.screenshot().pixelColor(footer(0, 2)), green); }, 5000));

        // "Klara" shows it; its "X" brings it back.
        m_x.click(klaraTab());
        QVERIFY2(XSession::waitFor(
                     [&] { return near(m_x.screenshot().pixelColor(footer(0, 1)), yellow); }, 5000),
                 "the done ticket is not on the tab Klara");
        m_x.click(okButton(0, 1));
        QVERIFY(XSession::waitFor([&] { return row(2).first().toInt() == 0; }, 5000));
        QCOMPARE(third, 3);
    }

    void settingsAndClosing()
    {
        install();
        startBoard();
        QVERIFY(XSession::waitFor(
            [&] { return statusShows(m_x.screenshot(), u"Databas kontakt OK"_s); }, 8000));
        const QString board = boardWindow();
        m_x.click(QPoint(1920 - 344 + 259 + 20, 17));
        QString dialog;
        QVERIFY2(XSession::waitFor(
                     [&] {
                         dialog = m_x.xdotool({u"getactivewindow"_s});
                         return !dialog.isEmpty() && dialog != board;
                     },
                     5000),
                 "the settings window did not open");
        const QRect settings = m_x.geometry(dialog);
        QCOMPARE(settings.size(), QSize(514, 405 + 36)); // with the strip for the other boards
        QVERIFY(!QFile::exists(path(u"SPISKO.INI"_s)));
        m_x.clickIn(dialog, QPoint(454 + 20, 349 + 17));
        // NAMN is the last of the ten entries the house button writes.
        QVERIFY2(XSession::waitFor(
                     [&] {
                         return IniFile::readString(path(u"SPISKO.INI"_s), u"SKARM"_s, u"NAMN"_s,
                                                    {})
                             == u"Alla"_s;
                     },
                     5000),
                 "the house button did not write SPISKO.INI");

        // The house of the top bar closes the board, which stores its position.
        QVERIFY(
            XSession::waitFor([&] { return m_x.xdotool({u"getactivewindow"_s}) == board; }, 5000));
        m_x.click(QPoint(1920 - 344 + 302 + 20, 17));
        QVERIFY2(m_board.waitForFinished(10000), "the board did not close");
        QCOMPARE(m_board.exitCode(), 0);
        QCOMPARE(IniFile::readString(path(u"SETTINGS.INI"_s), u"SALVIO"_s, u"TAVLIX_X"_s, u"-"_s),
                 u"0"_s);
        QCOMPARE(IniFile::readString(path(u"SETTINGS.INI"_s), u"SALVIO"_s, u"TAVLIX_Y"_s, u"-"_s),
                 u"0"_s);
    }

    void missingConnectionSettings()
    {
        install(false);
        startBoard();
        QVERIFY2(XSession::waitFor([&] { return m_x.activeWindowName() == u"Varning"; }, 10000),
                 "no warning dialog");
        QVERIFY(statusEmpty(m_x.screenshot()));
        m_x.xdotool({u"key"_s, u"Return"_s});
        QVERIFY2(m_board.waitForFinished(10000), "the board did not end after OK");
        QVERIFY(!QFile::exists(path(u"SETTINGS.INI"_s)));
    }

    // The waits are shortened: one second of the retry schedule lasts 150 ms here.
    void unreachableDatabase()
    {
        install(true, false);
        QProcessEnvironment fast;
        fast.insert(u"TAVLIX_TEST_SECOND_MS"_s, u"150"_s);
        startBoard(fast);
        bool countdown = false;
        QVERIFY2(XSession::waitFor(
                     [&] {
                         const QImage shot = m_x.screenshot();
                         for (int n = 30; n >= 1 && !countdown; --n)
                             countdown = statusShows(shot, u"Ansluter igen om %1 sek"_s.arg(n));
                         return countdown;
                     },
                     15000),
                 "no countdown in the status line");
        QVERIFY2(XSession::waitFor([&] { return m_x.activeWindowName() == u"Varning"; }, 15000),
                 "no failure dialog");
        m_x.xdotool({u"key"_s, u"Return"_s});
        QVERIFY2(m_board.waitForFinished(10000), "the board did not end after OK");
        QCOMPARE(readBytes(path(u"tavlix.log"_s)).count("\r\n"), 1);
        QVERIFY(!QFile::exists(path(u"SETTINGS.INI"_s)));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
