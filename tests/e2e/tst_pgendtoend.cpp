// The real program in a real X server on a PostgreSQL server that the test stops and cuts off:
// the board shows its tickets, recovers by itself, shows each ticket once and never freezes.
#include "BoardScreen.h"
#include "FileHelpers.h"
#include "KitchenTickets.h"
#include "PgFixture.h"
#include "PosDatabase.h"
#include "TcpProxy.h"
#include "XSession.h"
#include "pos/Scramble.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace BoardScreen;

namespace {

// One "second" of the retry waits: the first wait lasts 3 s, the second 9 s.
const int secondMs = 300;

bool isCard(QColor c)
{
    return near(c, green) || near(c, yellow) || near(c, red);
}

} // namespace

class TestPgEndToEnd : public QObject
{
    Q_OBJECT

private:
    XSession m_x;
    std::unique_ptr<PgFixture> m_pg;
    std::unique_ptr<TcpProxy> m_proxy;
    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<TDatabase> m_db;
    std::unique_ptr<PosDatabase> m_pos;
    QProcess m_board;
    QRandomGenerator m_random {7};

    QString path(const QString &name) const { return m_install->filePath(name); }

    // An installation whose connection settings lead through the proxy to the server, with the
    // password scrambled as the settings program stores it; refreshes every second.
    void install()
    {
        m_proxy = std::make_unique<TcpProxy>(m_pg->port());
        const QString dsn = m_pg->addDataSource(u"PgE2E"_s, m_proxy->port());
        m_install = std::make_unique<QTemporaryDir>();
        QFile::copy(QStringLiteral(TAVLIX_EXE), path(u"Tavlix"_s));
        QFile::setPermissions(path(u"Tavlix"_s), QFile::Permissions(0x7755));
        const QString losen =
            Scramble(u"E"_s, QString::fromLatin1(PgFixture::password), u"VarkoAB"_s);
        writeBytes(path(u"krumel.ini"_s),
                   "[DATABAS]\r\nALIAS=" + dsn.toLatin1() + "\r\nANVNAMN="
                       + QByteArray(PgFixture::user) + "\r\nLOSEN=" + losen.toLatin1() + "\r\n");
        writeBytes(path(u"SPISKO.INI"_s), "[SKARM]\r\nUPDATE=1\r\n");
        m_db = std::make_unique<TDatabase>();
        m_pg->connect(*m_db);
        m_pos = std::make_unique<PosDatabase>(*m_db);
    }

    int ticket(int ageSeconds) { return insertKitchenTicket(*m_pos, m_random, ageSeconds); }

    void startBoard()
    {
        QProcessEnvironment env = m_x.environment();
        env.insert(u"TAVLIX_TEST_SECOND_MS"_s, QString::number(secondMs));
        m_board.setProcessEnvironment(env);
        m_board.setWorkingDirectory(m_install->path());
        m_board.setProcessChannelMode(QProcess::MergedChannels);
        m_board.start(path(u"Tavlix"_s), {});
        QVERIFY2(m_board.waitForStarted(10000), "the board did not start");
    }

    // The cards of the first column, top down, by their age colours; the second column's
    // first place must stay empty, so a doubled ticket shows as a fourth card.
    bool showsExactly(const QList<QColor> &colours) const
    {
        const QImage shot = m_x.screenshot();
        for (int row = 1; row <= 3; ++row) {
            const QColor seen = shot.pixelColor(footer(0, row));
            if (row <= colours.size() ? !near(seen, colours[row - 1]) : isCard(seen))
                return false;
        }
        return !isCard(shot.pixelColor(footer(1, 1)));
    }

    bool statusIs(const QString &text, int ms) const
    {
        return XSession::waitFor([&] { return statusShows(m_x.screenshot(), text); }, ms);
    }

    // The third card's footer, where its clock counts the ticket's age in minutes.
    QImage cardClock() const { return m_x.screenshot().copy(0, footer(0, 3).y() - 15, 180, 30); }

    // The status line shows one of the texts of the reconnect sequence.
    static bool reconnecting(const QImage &shot)
    {
        QStringList texts {u"Ansluter till databas"_s, u"Ej kontakt med databasen"_s,
                           u"Försöker igen om 30 sekunder"_s};
        for (int n = 30; n >= 1; --n)
            texts.append(u"Ansluter igen om %1 sek"_s.arg(n));
        return std::any_of(texts.begin(), texts.end(),
                           [&shot](const QString &t) { return statusShows(shot, t); });
    }

private slots:
    void initTestCase()
    {
        if (const QString why = PgFixture::missing(); !why.isEmpty())
            QSKIP(qPrintable(why));
        m_pg = std::make_unique<PgFixture>();
        QVERIFY2(m_pg->setUp(), qPrintable(m_pg->error()));
        QVERIFY2(m_x.start(), "Xvfb or openbox did not start");
    }

    void init()
    {
        QVERIFY(m_pg->isRunning() || m_pg->start());
        m_pg->resetTables();
        install();
        ticket(1200); // red
        ticket(700); // yellow
        startBoard();
        QVERIFY2(statusIs(u"Databas kontakt OK"_s, 15000), "the board did not connect");
        const QList<QColor> two {red, yellow};
        QVERIFY2(XSession::waitFor([&] { return showsExactly(two); }, 5000),
                 "the tickets are not shown");
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            m_x.saveFailureScreenshot();
            qWarning("board output: %s", m_board.readAll().constData());
            qWarning("server log: %s", qPrintable(m_pg->serverLog()));
        }
        if (m_board.state() != QProcess::NotRunning) {
            m_board.kill();
            m_board.waitForFinished(5000);
        }
        m_pos.reset();
        m_db.reset();
        m_proxy.reset();
        m_install.reset();
    }

    // A fast shutdown, and the server back within the first wait: the board says it connects,
    // recovers by itself and shows each ticket once, the one inserted meanwhile included.
    void serverRestarts()
    {
        m_pos.reset();
        m_db.reset();
        m_pg->stopFast();
        QVERIFY2(XSession::waitFor([&] { return reconnecting(m_x.screenshot()); }, 8000),
                 "the board did not notice the server going away");
        QVERIFY2(m_pg->start(), qPrintable(m_pg->error()));
        m_db = std::make_unique<TDatabase>();
        m_pg->connect(*m_db);
        m_pos = std::make_unique<PosDatabase>(*m_db);
        ticket(0); // green
        QVERIFY2(statusIs(u"Databas kontakt OK"_s, 20000), "the board did not recover");
        const QList<QColor> three {red, yellow, green};
        QVERIFY2(XSession::waitFor([&] { return showsExactly(three); }, 5000),
                 "not each ticket once after the restart");
        // A few more refresh cycles change nothing.
        QTest::qWait(2500);
        QVERIFY(showsExactly(three));
        QCOMPARE(m_board.state(), QProcess::Running);
    }

    // The network hangs: the window goes on repainting, its card clocks tick, and after the
    // network returns the board shows the ticket inserted meanwhile, once.
    void hungNetwork()
    {
        // A ticket whose clock turns from 00:00 to 00:01 a few seconds from now.
        ticket(55);
        const QList<QColor> three {red, yellow, green};
        QVERIFY(XSession::waitFor([&] { return showsExactly(three); }, 5000));
        const QImage before = cardClock();
        m_proxy->hold(true);
        QTest::qWait(1200); // the next refresh cycle now waits for its answer
        QVERIFY2(XSession::waitFor([&] { return cardClock() != before; }, 8000),
                 "the window did not repaint while the network hung");
        QVERIFY(showsExactly(three));
        QVERIFY(m_proxy->connections() > 0);
        m_proxy->hold(false);
        ticket(0); // the fourth place: the second column's first
        QVERIFY2(XSession::waitFor(
                     [&] { return isCard(m_x.screenshot().pixelColor(footer(1, 1))); }, 15000),
                 "the board did not recover after the network returned");
        QVERIFY(statusIs(u"Databas kontakt OK"_s, 5000));
        QTest::qWait(2500); // a few more cycles change nothing
        const QImage shot = m_x.screenshot();
        QVERIFY(near(shot.pixelColor(footer(0, 1)), red));
        QVERIFY(near(shot.pixelColor(footer(0, 2)), yellow));
        QVERIFY(near(shot.pixelColor(footer(0, 3)), green));
        QVERIFY(near(shot.pixelColor(footer(1, 1)), green));
        QVERIFY(!isCard(shot.pixelColor(footer(1, 2))));
        QCOMPARE(m_board.state(), QProcess::Running);
    }
};

QTEST_MAIN(TestPgEndToEnd)
#include "tst_pgendtoend.moc"
