#include "BoardFixture.h"
#include "PgFixture.h"
#include "TcpProxy.h"
#include "controls/XiButton.h"
#include "db/Query.h"
#include "db/SqlWork.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The longest time between two ticks of a 50 ms timer: how long the thread went without
// handling its timers.
class Probe
{
public:
    explicit Probe(std::function<void()> onTick = {})
        : m_onTick(std::move(onTick))
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
            ++m_ticks;
            if (m_onTick)
                m_onTick();
        });
        m_clock.start();
        m_timer.start();
    }

    qint64 longestGap() const { return std::max(m_longest, m_clock.elapsed()); }
    int ticks() const { return m_ticks; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    int m_ticks = 0;
    std::function<void()> m_onTick;
};

int threadCount()
{
    return int(QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Counts the paints of a widget.
class PaintWatch : public QObject
{
public:
    PaintWatch(QWidget *widget, std::function<void()> onPaint)
        : m_onPaint(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_onPaint();
        return false;
    }

private:
    std::function<void()> m_onPaint;
};

void holdNow(TcpProxy &proxy)
{
    proxy.hold(true);
}

} // namespace

// A network that holds the connection open and passes nothing: no call waits longer than its
// deadline, and the window goes on handling its timers meanwhile.
class TestPgHang : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString why = PgFixture::missing(); !why.isEmpty())
            QSKIP(qPrintable(why));
        m_pg = std::make_unique<PgFixture>();
        QVERIFY2(m_pg->setUp(), qPrintable(m_pg->error()));
    }

    void init() { m_pg->resetTables(); }

    // A statement the network never answers fails at its deadline like a lost connection; the
    // thread keeps its timers meanwhile, and the next open works while the hung call still hangs.
    void hungCallFailsAtItsDeadline()
    {
        TcpProxy proxy(m_pg->port());
        TDatabase db;
        db.setAliasName(m_pg->addDataSource(u"PgHung"_s, proxy.port()));
        db.setParams(QString::fromLatin1(PgFixture::user),
                     QString::fromLatin1(PgFixture::password));
        db.open();
        db.setDeadlineMs(800);
        TQuery q(db);
        q.setLines({u"Select Count(*) As Antal from Foretag"_s});
        q.open();
        const int companies = q.fieldAsInteger(u"Antal"_s);

        proxy.hold(true);
        const Probe probe;
        QElapsedTimer clock;
        clock.start();
        QObject context;
        bool answered = false;
        bool failed = false;
        db.submit(
            [](DatabaseThread &t) { SqlWork::select(t, u"Select Count(*) from Foretag"_s, 30); },
            &context,
            [&](std::exception_ptr error) {
                answered = true;
                failed = bool(error);
            });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 5000);
        const qint64 took = clock.elapsed();
        QVERIFY(failed);
        QVERIFY2(took >= 800 && took < 3000, qPrintable(QString::number(took)));
        QVERIFY2(probe.longestGap() < 500, qPrintable(QString::number(probe.longestGap())));
        QVERIFY(!db.isOpen());
        QVERIFY(db.lostCallRunning());
        QVERIFY_THROWS_EXCEPTION(TavlixError, q.open()); // at once: the connection is gone

        // The given-up call still hangs: no second connection joins it, so that lost calls and
        // their server sessions never pile up. Once it has ended, a new one opens.
        db.setAliasName(m_pg->dataSource());
        QVERIFY_THROWS_EXCEPTION(TavlixError, db.open());
        QVERIFY(db.lostCallRunning());
        bool opened = false;
        db.openAsync(&context, [&opened](std::exception_ptr error) { opened = !error; });
        proxy.hold(false);
        QTRY_VERIFY(opened);
        QVERIFY(!db.lostCallRunning());
        q.open();
        QCOMPARE(q.fieldAsInteger(u"Antal"_s), companies);
        QTRY_COMPARE(proxy.connections(), 0);
    }

    // The connect itself is bounded too.
    void hungConnectFailsAtItsDeadline()
    {
        TcpProxy proxy(m_pg->port());
        proxy.hold(true);
        TDatabase db;
        db.setAliasName(m_pg->addDataSource(u"PgHungConnect"_s, proxy.port()));
        db.setParams(QString::fromLatin1(PgFixture::user),
                     QString::fromLatin1(PgFixture::password));
        db.setDeadlineMs(800);
        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(TavlixError, db.open());
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!db.isOpen());
        proxy.hold(false);
        db.open();
        QVERIFY(db.isOpen());
    }

    // The network hangs in the middle of a refresh: the window keeps its timers, the call fails
    // at its deadline, an "OK" pressed meanwhile waits until the cycle is over, the board goes
    // into its reconnect sequence, and once the network is back it shows each ticket once.
    void boardSurvivesAHungNetwork_data()
    {
        QTest::addColumn<int>("chunksBeforeHold");
        QTest::newRow("health check") << 0;
        QTest::newRow("count of new tickets") << 1;
        QTest::newRow("new tickets") << 2;
        QTest::newRow("late commits") << 3;
    }

    void boardSurvivesAHungNetwork()
    {
        QFETCH(int, chunksBeforeHold);
        TcpProxy proxy(m_pg->port());
        BoardFixture f(m_pg->addDataSource(u"PgHangBoard"_s, proxy.port()),
                       QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password));
        f.add();
        f.add();
        TF_Mainform &b = f.start(QSize(1200, 800));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        b.link.secondMs = 50;
        b.link.database().setDeadlineMs(1000);
        QStringList seen;
        b.link.hooks.setStatus = [&](const QString &text) {
            seen.append(text);
            b.pa_Status->setCaption(text);
            // The network comes back while the board waits between its attempts.
            if (text == u"Ej kontakt med databasen"_s)
                QTimer::singleShot(0, &b, [&proxy] { proxy.hold(false); });
        };
        f.add();
        f.add();

        // "OK" on the first card while the cycle waits for the network.
        const Probe probe;
        QTest::mouseClick(b.MainList[0]->FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                          QPoint(17, 15));
        QVERIFY(b.ti_ReArrange.isActive());
        proxy.armFault(chunksBeforeHold, false, holdNow);
        cycle(b);
        b.ti_UpdateBongs.stop();
        QVERIFY(!proxy.disarm());
        // The pressed card went once the cycle was over, or stays reported while the board
        // has no connection; either way it went or stays whole.
        QTRY_VERIFY(!b.ti_ReArrange.isActive());
        settle(b);

        // The following cycle finds the connection lost and reconnects.
        if (!seen.contains(u"Ansluter till databas"_s))
            cycle(b);
        QCOMPARE(seen.first(), u"Ansluter till databas"_s);
        QCOMPARE(seen.last(), u"Databas kontakt OK"_s);
        qInfo("longest time without timers while the network hung: %lld ms", probe.longestGap());
        QVERIFY2(probe.longestGap() < 150, qPrintable(QString::number(probe.longestGap())));

        f.posDb.open();
        QSqlQuery q(f.posDb.handle());
        QVERIFY(q.exec(u"SELECT ID FROM Tavlix WHERE Status = 0 ORDER BY ID"_s));
        QList<QString> open;
        while (q.next())
            open.append(q.value(0).toString());
        QCOMPARE(f.ids(b.MainList), open);
        if (open.contains(u"1"_s)) {
            // Not lost: the cook was told, and pressing again marks it done once.
            QVERIFY(!f.reports.isEmpty());
            QTest::mouseClick(b.MainList[0]->FootPanel->findChild<TXiButton *>(), Qt::LeftButton,
                              {}, QPoint(17, 15));
            QTRY_COMPARE(f.ids(b.MainList), (QList<QString> {u"2"_s, u"3"_s, u"4"_s}));
        }
        QVERIFY(q.exec(u"SELECT Status FROM Tavlix WHERE ID = 1"_s) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
    }

    // While the network holds a REPAINT rebuild up, the tab keeps its cards: the old ones stay
    // until the new ones are read, and then they change in one step, between two paints.
    void repaintCycleNeverShowsAnEmptyTab()
    {
        TcpProxy proxy(m_pg->port());
        BoardFixture f(m_pg->addDataSource(u"PgRepaint"_s, proxy.port()),
                       QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password), "[SKARM]\r\nREPAINT=J\r\n");
        for (int i = 0; i < 4; ++i)
            f.add();
        TF_Mainform &b = f.start(QSize(1200, 800));
        QCOMPARE(b.MainList.size(), size_t(4));
        int paints = 0;
        int emptyPaints = 0;
        PaintWatch watch(b.sb_Main->canvas(), [&] {
            ++paints;
            if (b.MainList.size() != 4 || !b.sb_Main->isVisible())
                ++emptyPaints;
        });
        proxy.hold(true);
        b.ti_UpdateBongsTimer();
        // The window paints on while the rebuild waits for the network.
        QVERIFY(QTest::qWaitFor([&] {
            b.sb_Main->canvas()->update();
            return paints >= 10;
        }));
        QVERIFY(b.cycleRunning());
        proxy.hold(false);
        QVERIFY(settle(b));
        b.sb_Main->canvas()->repaint();
        QCOMPARE(emptyPaints, 0);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
    }

    // "OK" on one card and then on the next while the first update waits for the network: each
    // press finishes the ticket it was made on. The first card stays, marked as sending, until
    // the table holds it done, so the second press finds the card it was aimed at.
    void pressesWhileAnUpdateWaitsKeepTheirTickets()
    {
        TcpProxy proxy(m_pg->port());
        BoardFixture f(m_pg->addDataSource(u"PgPresses"_s, proxy.port()),
                       QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password));
        for (int i = 0; i < 3; ++i)
            f.add();
        TF_Mainform &b = f.start(QSize(1200, 800));
        const auto press = [](const TBoxInfo &card) {
            QTest::mouseClick(card.FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                              QPoint(17, 15));
        };
        const QList<QPoint> places = f.places(b.MainList);
        proxy.hold(true);
        press(*b.MainList[0]);
        QTRY_VERIFY(b.model().sending());
        QCOMPARE(f.places(b.MainList), places); // nothing moved
        QCOMPARE(b.MainList[0]->FootPanel->caption(), u"Skickar…"_s);
        QVERIFY(!b.MainList[0]->FootPanel->findChild<TXiButton *>()->isEnabled());
        // For whoever looks at it: the card on its way to the table.
        const QString shots = QStringLiteral(QT_TESTCASE_BUILDDIR "/boardshots");
        QDir().mkpath(shots);
        QVERIFY(b.grab(QRect(0, 0, 480, 330)).save(shots + u"/board-sending.png"_s));
        press(*b.MainList[1]);
        QTRY_VERIFY(!b.ti_ReArrange.isActive());
        proxy.hold(false);
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"3"_s});
        QVERIFY(f.reports.isEmpty());
        QSqlQuery q(f.posDb.handle());
        QVERIFY(q.exec(u"SELECT ID FROM Tavlix WHERE Status = 1 ORDER BY ID"_s));
        QList<int> done;
        while (q.next())
            done.append(q.value(0).toInt());
        QCOMPARE(done, (QList<int> {1, 2}));
    }

    // Another session holds the ticket table locked over several REPAINT cycles (the lock lasts
    // TAVLIX_LOCK_MS, 8 seconds unless set). The driver gives each statement up by itself, so no
    // call is left behind and no thread or server session piles up; the cards stay, no box waits
    // for a press, the status line does not claim contact, and once the lock ends the next cycle
    // brings the board up to date.
    void tableLockedByAnotherSession()
    {
        BoardFixture f(m_pg->dataSource(), QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password), "[SKARM]\r\nREPAINT=J\r\n");
        for (int i = 0; i < 5; ++i)
            f.add();
        TF_Mainform &b = f.start(QSize(1200, 800));
        QCOMPARE(b.MainList.size(), size_t(5));
        b.link.database().setDeadlineMs(3000); // the driver's own limit: 2 seconds
        TDatabase locker;
        m_pg->connect(locker);
        const int threadsBefore = threadCount();
        QSqlDatabase lockHandle = locker.handle();
        QVERIFY(lockHandle.transaction());
        QSqlQuery lock(lockHandle);
        QVERIFY(lock.exec(u"LOCK TABLE Tavlix IN ACCESS EXCLUSIVE MODE"_s));
        const int lockMs = qEnvironmentVariableIntValue("TAVLIX_LOCK_MS") > 0
            ? qEnvironmentVariableIntValue("TAVLIX_LOCK_MS")
            : 8000;
        QElapsedTimer locked;
        locked.start();
        int cycles = 0;
        int threadsMost = 0;
        int sessionsMost = 0;
        while (locked.elapsed() < lockMs) {
            cycle(b);
            ++cycles;
            QCOMPARE(b.MainList.size(), size_t(5));
            QVERIFY(f.reports.isEmpty());
            QVERIFY(b.pa_Status->caption() != u"Databas kontakt OK"_s);
            QVERIFY(!b.link.database().lostCallRunning());
            threadsMost = std::max(threadsMost, threadCount());
            QVERIFY(lock.exec(u"SELECT count(*) FROM pg_stat_activity WHERE backend_type = "
                              "'client backend'"_s)
                    && lock.next());
            sessionsMost = std::max(sessionsMost, lock.value(0).toInt());
        }
        qInfo("table locked %lld ms: %d cycles, threads %d before and at most %d during, "
              "at most %d server sessions (the locker's and the test's included)",
              locked.elapsed(), cycles, threadsBefore, threadsMost, sessionsMost);
        QVERIFY(threadsMost <= threadsBefore);
        QVERIFY(lockHandle.rollback());

        f.add();
        cycle(b);
        QCOMPARE(b.MainList.size(), size_t(6));
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
        QVERIFY(f.reports.isEmpty());
    }

private:
    std::unique_ptr<PgFixture> m_pg;
};

QTEST_MAIN(TestPgHang)
#include "tst_pghang.moc"
