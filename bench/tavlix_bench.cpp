// Measures the board against a real SQLite database filled the way the simulator fills it, and
// prints one table. "tavlix_bench" runs everything; "tavlix_bench klara M DEPTH [shaded]" and
// "tavlix_bench cards N DEPTH [shaded]" run one memory measurement in a process of its own, and
// "tavlix_bench build N DEPTH" one full build; SharedTableBench.h tells of "history" and
// "boards".
#include "BenchSupport.h"
#include "BmpWriter.h"
#include "FileHelpers.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "SharedTableBench.h"
#include "TicketRenderer.h"
#include "board/CardArea.h"
#include "board/Mainform.h"
#include "board/PageColumn.h"
#include "board/TicketPicture.h"
#include "board/TicketStatements.h"
#include "controls/PixImageBox.h"
#include "db/Database.h"
#include "db/Query.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double decodeFloorMs(const QList<QByteArray> &pictures)
{
    const int rounds = 200;
    CpuTimer t;
    qint64 sink = 0;
    for (int i = 0; i < rounds; ++i)
        sink += QImage::fromData(pictures[i % pictures.size()], "BMP").width();
    Q_UNUSED(sink);
    return t.elapsedMs() / rounds;
}

// The board's own load of a ticket picture, into the compact form a card keeps.
double pictureLoadMs(const QList<QByteArray> &pictures)
{
    const int rounds = 200;
    CpuTimer t;
    qint64 sink = 0;
    for (int i = 0; i < rounds; ++i)
        sink += TicketPicture::load(pictures[i % pictures.size()]).image.width();
    Q_UNUSED(sink);
    return t.elapsedMs() / rounds;
}

struct BuildCost
{
    // Per ticket, CPU time of the process.
    double fetch = 1e300;
    double perTicket = 1e300;
    // Per ticket, CPU time of the board's thread: what the build adds beyond the fetch.
    double boardFetch = 1e300;
    double boardBuild = 1e300;
    double beyond() const { return boardBuild - boardFetch; }
};

// The fetch floor is what the database and its driver cost: the count and the select, every row
// read with its picture, and nothing built. Both are timed on the same table, the best of
// `rounds`, so that what the board adds is their difference.
BuildCost measureBuild(Bench &b, TF_Mainform &board, int n, int rounds = 3)
{
    BuildCost cost;
    for (int round = 0; round < rounds; ++round) {
        board.discardMainCards();
        QTest::qWait(50);
        CpuTimer t;
        double own = boardSeconds();
        TQuery q(b.db);
        q.setLines(TicketStatements::countOpen(QStringLiteral("Alla")));
        q.open();
        q.close();
        q.setLines(TicketStatements::selectOpen(QStringLiteral("Alla")));
        qint64 sink = 0;
        for (q.open(); !q.eof(); q.next())
            sink += readTicketRow(q, true).bong.size();
        q.close();
        Q_UNUSED(sink);
        cost.fetch = std::min(cost.fetch, t.elapsedMs() / n);
        cost.boardFetch = std::min(cost.boardFetch, (boardSeconds() - own) * 1000 / n);
        t.restart();
        own = boardSeconds();
        board.LoadBongs();
        Bench::settle(board);
        cost.perTicket = std::min(cost.perTicket, t.elapsedMs() / n);
        cost.boardBuild = std::min(cost.boardBuild, (boardSeconds() - own) * 1000 / n);
    }
    return cost;
}

// What the window's thread gives a full build, and how long a 50 ms timer of the window waits at
// most meanwhile: the cook's clocks and presses wait as long.
struct WindowShare
{
    double perTicketMs = 0; // CPU time of the window's thread per ticket
    double longestGapMs = 0;
};

WindowShare measureWindowShare(TF_Mainform &board, int n)
{
    board.discardMainCards();
    QTest::qWait(50);
    QElapsedTimer since;
    double longest = 0;
    QTimer probe;
    probe.setInterval(50);
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
        since.restart();
    });
    const double own = boardSeconds();
    since.start();
    probe.start();
    board.LoadBongs();
    Bench::settle(board);
    // The gap that is still running counts too.
    longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
    return {(boardSeconds() - own) * 1000 / n, longest};
}

// A refresh cycle that adds one new ticket, the median of five.
double incrementalMs(Bench &b, TF_Mainform &board, const QList<QByteArray> &pictures)
{
    QList<double> times;
    CpuTimer t;
    for (int i = 0; i < 5; ++i) {
        b.fill(1, 0, pictures);
        t.restart();
        board.ti_UpdateBongsTimer();
        Bench::settle(board);
        times.append(t.elapsedMs());
        QTest::qWait(350);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

// One full build measured on its own: "tavlix_bench build N DEPTH" prints the decode floor, the
// fetch floor and the build per ticket, and the build beyond the fetch against the decode floor.
int runBuild(int n, int depth)
{
    const QList<QByteArray> pictures = ticketBytes(depth);
    const double floor = decodeFloorMs(pictures);
    Bench b;
    b.fill(n, 0, pictures);
    TF_Mainform &board = b.start();
    const BuildCost cost = measureBuild(b, board, n, 7);
    std::printf("decode %.4f ms, fetch %.4f ms, build %.4f ms, beyond %.4f ms = %.2f x decode "
                "(board's thread: fetch %.4f ms, build %.4f ms)\n",
                floor, cost.fetch, cost.perTicket, cost.beyond(), cost.beyond() / floor,
                cost.boardFetch, cost.boardBuild);
    QTest::qWait(400);
    const WindowShare share = measureWindowShare(board, n);
    std::printf("window's thread per ticket %.4f ms, longest gap of a 50 ms timer %.1f ms\n",
                share.perTicketMs, share.longestGapMs);
    QTest::qWait(400);
    std::printf("incremental cycle, 1 new: %.3f ms\n", incrementalMs(b, board, pictures));
    return 0;
}

struct Row
{
    QString what;
    QString value;
    QString goal;
};
QList<Row> rows;

void report(const QString &what, const QString &value, const QString &goal = QString())
{
    rows.append({what, value, goal});
    std::fprintf(stderr, "  %s: %s\n", qPrintable(what), qPrintable(value));
}

QString ms(double v)
{
    return QString::number(v, 'f', v < 1 ? 3 : 1) + QStringLiteral(" ms");
}

// One memory measurement in a fresh process: prints "wall_ms peak_mib rss_delta_mib bytes
// afterwards_ms cpu_ms", afterwards the CPU time of scrolling the tab "Klara" to its middle and
// repainting.
int runMemory(const QString &mode, int count, int depth, bool shaded)
{
    Bench b;
    const QList<QByteArray> pictures = ticketBytes(depth, shaded);
    // The open tickets wait in the table with a status no build reads, so that the board starts
    // empty and its memory can be read before the cards come.
    b.fill(count, mode == u"klara" ? 1 : 2, pictures);
    TF_Mainform &board = b.start();
    const qint64 bytes = decodedBytes(pictures);
    QSqlQuery table(b.db.handle());
    if (mode != u"klara")
        table.exec(QStringLiteral("UPDATE Tavlix SET Status = 0"));
    const double before = residentMiB();
    QElapsedTimer t;
    t.start();
    CpuTimer cpu;
    if (mode == u"klara") {
        board.PageControl1->setCurrentIndex(1); // the cook selects the tab
        Bench::settle(board);
        // Until the cook sees it: the shown cards are painted once the posted events are done.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    } else {
        board.LoadBongs();
        Bench::settle(board);
    }
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    const double elapsedCpu = cpu.elapsedMs();
    QTest::qWait(600); // the smooth passes come and go
    double held = residentMiB() - before;
    double afterwards = 0;
    if (mode == u"klara") {
        cpu.restart();
        board.sb_Ready->setHorzPosition(board.sb_Ready->canvas()->width() / 2);
        board.repaint();
        QCoreApplication::processEvents();
        afterwards = cpu.elapsedMs();
    } else {
        // What the tickets hold, without what the database engine keeps of the table in its own
        // page cache: the memory that goes when they leave the table and the board rebuilds.
        const double withCards = residentMiB();
        table.exec(QStringLiteral("UPDATE Tavlix SET Status = 1"));
        board.LoadBongs();
        Bench::settle(board);
        QTest::qWait(50);
        held = withCards - residentMiB();
    }
    std::printf("%f %f %f %lld %f %f\n", elapsed, peakMiB(), held, static_cast<long long>(bytes),
                afterwards, elapsedCpu);
    return 0;
}

QList<double> memoryRun(const QString &mode, int count, int depth, bool shaded = false)
{
    QStringList args {mode, QString::number(count), QString::number(depth)};
    if (shaded)
        args.append(QStringLiteral("shaded"));
    return runChild(args);
}

QString kib(double bytes)
{
    return QString::number(bytes / 1024, 'f', 1) + QStringLiteral(" KiB");
}

// Resident memory per open card, against its decoded picture and against a 1-bit card.
double reportCards(const QString &what, int depth, bool shaded, double oneBitCard)
{
    const int n = 500;
    const QList<double> cards = memoryRun(QStringLiteral("cards"), n, depth, shaded);
    if (cards.size() != 6)
        return 0;
    const double perCard = cards[2] * 1024 * 1024 / n;
    QString value = kib(perCard)
        + QStringLiteral(", %1 × its decoded picture (%2)")
              .arg(perCard / cards[3], 0, 'f', 2)
              .arg(kib(cards[3]));
    if (oneBitCard > 0)
        value += QStringLiteral(", %1 × a 1-bit card").arg(perCard / oneBitCard, 0, 'f', 2);
    report(what + QStringLiteral(" resident memory per open card (%1 cards)").arg(n), value,
           depth == 1 || shaded ? QString() : QStringLiteral("≤ 1.5 × a 1-bit card"));
    return perCard;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args[1] == u"build")
        return runBuild(args[2].toInt(), args[3].toInt());
    if (args.size() == 4 && args[1] == u"history")
        return runHistory(args[2], args[3].toInt());
    if (args.size() == 4 && args[1] == u"boards")
        return runBoards(args[2].toInt(), args[3].toInt());
    if (args.size() == 4 || args.size() == 5)
        return runMemory(args[1], args[2].toInt(), args[3].toInt(), args.size() == 5);

    // Builds of 10, 100 and 500 tickets at the depths of the two common cases, one of 100
    // at the others; the "Klara" builds up to a whole day of done tickets.
    struct Plan
    {
        int depth;
        QList<int> builds;
        QList<int> klara;
    };
    const QList<Plan> plans {{1, {10, 100, 500}, {100, 1000, 5000, 20000}},
                             {8, {100}, {1000}},
                             {24, {10, 100, 500}, {100, 1000}},
                             {32, {100}, {1000}}};
    double oneBitCard = 0;
    std::fprintf(stderr, "measuring…\n");
    for (const Plan &plan : plans) {
        const int depth = plan.depth;
        const QString d = QStringLiteral("%1-bit").arg(depth);
        const QList<QByteArray> pictures = ticketBytes(depth);
        const double floor = decodeFloorMs(pictures);
        report(d + QStringLiteral(" decode floor per ticket (QImage alone)"), ms(floor));
        const double load = pictureLoadMs(pictures);
        report(d + QStringLiteral(" picture load per ticket, compact"),
               ms(load) + QStringLiteral(" (%1 × decode floor)").arg(load / floor, 0, 'f', 2));

        QMap<int, double> incremental;
        for (int n : plan.builds) {
            Bench b;
            b.fill(n, 0, pictures);
            TF_Mainform &board = b.start();
            const BuildCost cost = measureBuild(b, board, n);
            const double beyond = cost.beyond();
            report(d + QStringLiteral(" full build, N = %1, per ticket").arg(n),
                   ms(cost.perTicket)
                       + QStringLiteral(" (%1 × decode floor; fetch floor %2, beyond it %3 = %4 × "
                                        "decode floor)")
                             .arg(cost.perTicket / floor, 0, 'f', 2)
                             .arg(ms(cost.fetch))
                             .arg(ms(beyond))
                             .arg(beyond / floor, 0, 'f', 2),
                   QStringLiteral("≤ 3 × floor; beyond the fetch ≤ 1.5 × floor"));
            QTest::qWait(400);
            if (n == 100 && depth == 24) {
                const WindowShare share = measureWindowShare(board, n);
                report(d + QStringLiteral(" full build, N = 100: the window's thread per ticket"),
                       ms(share.perTicketMs));
                report(d + QStringLiteral(" full build, N = 100: longest gap of a 50 ms timer"),
                       ms(share.longestGapMs), QStringLiteral("clocks and presses keep going"));
                QTest::qWait(400);
            }

            const double cycle = incrementalMs(b, board, pictures);
            incremental[n] = cycle;
            report(d + QStringLiteral(" incremental cycle, 1 new, N = %1").arg(n), ms(cycle));

            const int sent = board.link.database().statementsSent();
            CpuTimer t;
            board.ti_UpdateBongsTimer();
            Bench::settle(board);
            const double idle = t.elapsedMs();
            if (n == 500)
                report(d + QStringLiteral(" idle cycle, N = 500"),
                       QStringLiteral("%1 statements, ")
                               .arg(board.link.database().statementsSent() - sent)
                           + ms(idle),
                       QStringLiteral("3 statements"));

            // The clocks: CPU time per second of wall time while the cards tick.
            QTest::qWait(1000);
            const double cpu = cpuSeconds();
            QElapsedTimer wall;
            wall.start();
            QTest::qWait(3000);
            const double share = (cpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9) * 100;
            report(d + QStringLiteral(" clock load, %1 open cards").arg(board.MainList.size()),
                   QStringLiteral("%1 % of one core").arg(share, 0, 'f', 2),
                   n == 500 ? QStringLiteral("< 5 %") : QString());

            // The deferred smooth pass of every card painted at once. Cards outside the view are
            // not painted, so they get none.
            int passes = 0;
            for (auto &record : board.MainList)
                QObject::connect(record->ImageBox->Image(), &TPixImage::OnPaint, &app,
                                 [&passes] { ++passes; });
            const double before = cpuSeconds();
            for (auto &record : board.MainList)
                record->ImageBox->Image()->repaint();
            QElapsedTimer quiet;
            quiet.start();
            for (int seen = 0; quiet.elapsed() < 1000;) {
                QTest::qWait(20);
                if (passes != seen) {
                    seen = passes;
                    quiet.restart();
                }
            }
            const double smoothCpu = (cpuSeconds() - before) * 1000;
            report(d
                       + QStringLiteral(" smooth pass, %1 cards painted at once")
                             .arg(board.MainList.size()),
                   QStringLiteral("%1 passes (the cards in view), ").arg(passes) + ms(smoothCpu)
                       + QStringLiteral(" CPU with their paints, %1 per card")
                             .arg(ms(smoothCpu / std::max(1, passes))));
        }
        if (incremental.contains(10) && incremental.contains(500))
            report(d + QStringLiteral(" incremental ratio N = 500 / N = 10"),
                   QString::number(incremental[500] / incremental[10], 'f', 2),
                   QStringLiteral("≤ 1.3"));

        const double perCard = reportCards(d, depth, false, oneBitCard);
        if (depth == 1)
            oneBitCard = perCard;
        if (depth == 24)
            reportCards(d + QStringLiteral(" shaded (grey text edges)"), depth, true, oneBitCard);
        for (int m : plan.klara) {
            const QList<double> klara = memoryRun(QStringLiteral("klara"), m, depth);
            if (klara.size() != 6)
                continue;
            QString goal;
            if (m == 5000)
                goal = QStringLiteral("a few seconds");
            else if (m == 20000)
                goal = QStringLiteral("peak ≤ 1 GB, usable after");
            else if (m == 1000 && depth == 32)
                goal = QStringLiteral("peak ≤ 400 MB");
            report(d + QStringLiteral(" \"Klara\" build, M = %1").arg(m),
                   ms(klara[0])
                       + QStringLiteral(" (CPU %1), peak resident %2 MiB; then scrolled and "
                                        "repainted in %3")
                             .arg(ms(klara[5]))
                             .arg(klara[1], 0, 'f', 0)
                             .arg(ms(klara[4])),
                   goal);
        }
    }

    reportSharedTable(report);

    std::printf("Machine: %s, %d cores, Qt %s, %s\n\n", qPrintable(QSysInfo::prettyProductName()),
                QThread::idealThreadCount(), qVersion(),
                qPrintable(QSysInfo::currentCpuArchitecture()));
    std::printf("Times are CPU time of the process; the \"Klara\" builds also give wall time "
                "(build and first paint).\n\n");
    std::printf("| measurement | result | goal |\n|---|---|---|\n");
    for (const Row &r : rows)
        std::printf("| %s | %s | %s |\n", qPrintable(r.what), qPrintable(r.value),
                    qPrintable(r.goal));
    return 0;
}
