#include "SharedTableBench.h"

#include "BenchSupport.h"
#include "PgFixture.h"
#include "board/PageColumn.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int openTickets = 8;
constexpr int recentDone = 200; // with real pictures, after the history

// Rows 1 to rows, done, each with a small picture: doubled by the server itself, since a row at a
// time would take minutes on PostgreSQL.
void fillHistory(Bench &b, int rows)
{
    QImage tiny(64, 16, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    b.pos->insertTicket(b.device, 1, 60, QDateTime::currentDateTime().addDays(-365),
                        bmpBytes(tiny, 1), 1);
    QSqlQuery q(b.db.handle());
    for (int have = 1; have < rows; have *= 2) {
        if (!q.exec(QStringLiteral("INSERT INTO Tavlix (ID, LopNrFavUt, Status, Sekunder, Skapad, "
                                   "Bong) SELECT ID + %1, LopNrFavUt, Status, Sekunder, Skapad, "
                                   "Bong FROM Tavlix WHERE ID + %1 <= %2")
                        .arg(have)
                        .arg(rows)))
            std::fprintf(stderr, "history: %s\n", qPrintable(q.lastError().text()));
    }
    if (b.pos->count(QStringLiteral("Status = 1")) != rows)
        std::fprintf(stderr, "history: %d rows instead of %d\n",
                     b.pos->count(QStringLiteral("Status = 1")), rows);
}

// Process CPU seconds of the server: the postmaster and every backend it started.
double serverCpuSeconds(qint64 postmaster)
{
    double ticks = 0;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // The fields after the command name, which stands in parentheses.
        const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (f.size() < 13)
            continue;
        if (pid.toLongLong() != postmaster && f[1].toLongLong() != postmaster)
            continue;
        ticks += f[11].toDouble() + f[12].toDouble(); // utime, stime
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

std::unique_ptr<PgFixture> startPostgres()
{
    if (const QString why = PgFixture::missing(); !why.isEmpty()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(why));
        return {};
    }
    auto pg = std::make_unique<PgFixture>();
    if (!pg->setUp()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(pg->error()));
        return {};
    }
    return pg;
}

} // namespace

int runHistory(const QString &engine, int doneRows)
{
    std::unique_ptr<PgFixture> pg;
    if (engine == u"pg" && !(pg = startPostgres()))
        return 1;
    Bench b(pg ? pg->dataSource() : QString(),
            pg ? QString::fromLatin1(PgFixture::user) : QString(),
            pg ? QString::fromLatin1(PgFixture::password) : QString());
    fillHistory(b, doneRows);
    const QList<QByteArray> pictures = ticketBytes(1);
    b.fill(recentDone, 1, pictures);
    b.fill(openTickets, 0, pictures);
    TF_Mainform &board = b.start();

    // The idle cycle: nothing new, nothing changed; the median of nine.
    QList<double> idle;
    const int sent = board.link.database().statementsSent();
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        board.ti_UpdateBongsTimer();
        Bench::settle(board);
        idle.append(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(idle.begin(), idle.end());
    const double perCycle = double(board.link.database().statementsSent() - sent) / 9;

    // "Klara" as the cook opens it: until its cards are painted.
    const double before = residentMiB();
    QElapsedTimer t;
    t.start();
    board.PageControl1->setCurrentIndex(1);
    Bench::settle(board);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const double klaraMs = double(t.nsecsElapsed()) / 1e6;
    const double grown = residentMiB() - before;
    std::printf("%f %f %f %f %f %zu\n", idle[4], klaraMs, grown, peakMiB(), perCycle,
                board.ReadyList.size());
    return 0;
}

int runBoards(int boards, int seconds)
{
    const std::unique_ptr<PgFixture> pg = startPostgres();
    if (!pg)
        return 1;
    Bench b(pg->dataSource(), QString::fromLatin1(PgFixture::user),
            QString::fromLatin1(PgFixture::password));
    writeBytes(b.install.filePath(QStringLiteral("SPISKO.INI")), "[SKARM]\r\nUPDATE=5\r\n");
    fillHistory(b, 10000);
    const QList<QByteArray> pictures = ticketBytes(1);
    b.fill(recentDone, 1, pictures);
    b.fill(openTickets, 0, pictures);
    std::vector<std::unique_ptr<TF_Mainform>> all;
    for (int i = 0; i < boards; ++i) {
        auto board = std::make_unique<TF_Mainform>();
        board->link.ti_InitieraDB.stop();
        board->resize(1280, 800);
        board->show();
        board->link.ConnectAtStart(); // starts its refresh timer
        Bench::settle(*board);
        all.push_back(std::move(board));
    }
    // A new ticket now and then, as during service.
    QTimer kitchen;
    kitchen.setInterval(7000);
    QObject::connect(&kitchen, &QTimer::timeout, &kitchen, [&] { b.fill(1, 0, pictures); });
    const auto statements = [&all] {
        int n = 0;
        for (const auto &board : all)
            n += board->link.database().statementsSent();
        return n;
    };
    const int sentBefore = statements();
    const double cpuBefore = serverCpuSeconds(pg->serverPid());
    QElapsedTimer wall;
    wall.start();
    kitchen.start();
    QTest::qWait(seconds * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = serverCpuSeconds(pg->serverPid()) - cpuBefore;
    std::printf("%f %f\n", (statements() - sentBefore) / elapsed, cpu / elapsed * 100);
    all.clear();
    return 0;
}

void reportSharedTable(const Report &report)
{
    for (const QString &engine : {QStringLiteral("sqlite"), QStringLiteral("pg")}) {
        const QString name =
            engine == u"pg" ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
        QList<double> small;
        for (const int rows : {1000, 100000}) {
            const QList<double> r =
                runChild({QStringLiteral("history"), engine, QString::number(rows)});
            if (r.size() < 6) {
                report(name + QStringLiteral(", %1 done rows").arg(rows), QStringLiteral("not run"),
                       {});
                continue;
            }
            const QString ratio = rows == 100000 && small.size() >= 6
                ? QStringLiteral(" (%1 × the 1 000-row table)").arg(r[0] / small[0], 0, 'f', 2)
                : QString();
            report(name + QStringLiteral(" idle cycle, %1 done rows").arg(rows),
                   QStringLiteral("%1 ms, %2 statements").arg(r[0], 0, 'f', 2).arg(r[4], 0, 'f', 0)
                       + ratio,
                   rows == 100000 ? QStringLiteral("ratio ≤ 1.2") : QString());
            report(
                name + QStringLiteral(" \"Klara\" opened, %1 done rows").arg(rows),
                QStringLiteral("%1 ms to the first paint, %2 cards, +%3 MiB resident, peak %4 MiB")
                    .arg(r[1], 0, 'f', 0)
                    .arg(r[5], 0, 'f', 0)
                    .arg(r[2], 0, 'f', 1)
                    .arg(r[3], 0, 'f', 0),
                QStringLiteral("≤ 500 ms, flat memory"));
            if (rows == 1000)
                small = r;
        }
    }
    const QList<double> boards =
        runChild({QStringLiteral("boards"), QStringLiteral("5"), QStringLiteral("120")});
    if (boards.size() >= 2)
        report(QStringLiteral("5 boards on one PostgreSQL server, UPDATE 5, 2 minutes"),
               QStringLiteral("%1 statements/s, server CPU %2 % of one core")
                   .arg(boards[0], 0, 'f', 1)
                   .arg(boards[1], 0, 'f', 2),
               {});
}
