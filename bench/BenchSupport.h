#pragma once

// What the benchmarks share: clocks, memory readings, rendered tickets, and a board on a data
// source of its own.
#include "BmpWriter.h"
#include "FileHelpers.h"
#include "KrumelFile.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "TicketRenderer.h"
#include "board/Mainform.h"
#include "db/Database.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

inline double cpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID)
{
    timespec t {};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The board's own thread: the database driver works on a thread of its own, so that what the
// board adds to a build is told apart from the driver's work, whose time varies from round to
// round by more than the board's part at one and eight bits per pixel.
inline double boardSeconds()
{
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// Times are the process's CPU time, which other work on a shared machine does not stretch as it
// stretches wall time; the database driver runs in the process, so its work counts.
class CpuTimer
{
public:
    void start() { m_start = cpuSeconds(); }
    void restart() { start(); }
    double elapsedMs() const { return (cpuSeconds() - m_start) * 1000; }

private:
    double m_start = cpuSeconds();
};

// The memory in use: what the allocator keeps of freed blocks is given back first.
inline double residentMiB()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1
        ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)
        : 0;
}

inline double peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Rendered tickets, made once per depth and reused; each row gets its own copy in the table.
// The same sixteen tickets at every depth: black and white as a printer prints them, or shaded.
inline QList<QByteArray> ticketBytes(int depth, bool shaded = false, int count = 16)
{
    QRandomGenerator random(1);
    QList<QByteArray> out;
    for (int i = 0; i < count; ++i)
        out.append(bmpBytes(
            renderTicket(randomTicket(i + 1, QStringLiteral("Kök"), random), 576, shaded), depth));
    return out;
}

inline qint64 decodedBytes(const QList<QByteArray> &pictures)
{
    qint64 bytes = 0;
    for (const QByteArray &p : pictures)
        bytes += QImage::fromData(p, "BMP").sizeInBytes();
    return bytes / pictures.size();
}

// A board on its own data source, not started: no timer of its own runs.
struct Bench
{
    OdbcFixture &odbc = OdbcFixture::instance();
    QString dsn;
    QTemporaryDir install;
    TDatabase db;
    std::unique_ptr<PosDatabase> pos;
    std::unique_ptr<TF_Mainform> board;
    int device = 0;

    // A fresh SQLite data source, or the one given with its login.
    explicit Bench(const QString &dataSource = {}, const QString &user = {},
                   const QString &password = {})
        : dsn(dataSource.isEmpty() ? OdbcFixture::instance().addDataSource(
                  OdbcFixture::instance().uniqueName(QStringLiteral("Bench")), false)
                                   : dataSource)
    {
        setInstallDirOverride(install.path());
        writeBytes(install.filePath(QStringLiteral("krumel.ini")),
                   krumelBytes(dsn, user, password));
        db.setAliasName(dsn);
        db.setParams(user, password);
        db.open();
        pos = std::make_unique<PosDatabase>(db);
        pos->createSchema();
        device = pos->deviceNumber(QStringLiteral("Kök"));
        ErrorReport::setSink([](ErrorReport::Kind, const QString &, const QString &text) {
            std::fprintf(stderr, "error report: %s\n", qPrintable(text));
        });
    }

    void fill(int count, int status, const QList<QByteArray> &pictures)
    {
        QSqlDatabase handle = db.handle();
        handle.transaction();
        for (int i = 0; i < count; ++i)
            pos->insertTicket(device, status,
                              status ? std::optional<int>(300 + i % 900) : std::nullopt,
                              QDateTime::currentDateTime().addSecs(-(i * 37) % 1400),
                              pictures[i % pictures.size()]);
        handle.commit();
    }

    // Until every answer of the database has been taken over.
    static void settle(TF_Mainform &board)
    {
        // Woken by each answer as it arrives, so that wall time is not rounded to a sleep, and
        // asleep in between: processEvents with a time limit ignores WaitForMoreEvents and would
        // spin, counting its own polling as the board's time. The board's clock wakes it each
        // second at the latest.
        QElapsedTimer waited;
        waited.start();
        while (!board.idle() && waited.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!board.idle())
            std::fprintf(stderr, "the board did not settle\n");
    }

    TF_Mainform &start()
    {
        board = std::make_unique<TF_Mainform>();
        board->link.ti_InitieraDB.stop();
        board->resize(1920, 1080);
        board->show();
        if (!QTest::qWaitForWindowExposed(board.get()))
            std::fprintf(stderr, "the board was not exposed\n");
        board->link.ConnectAtStart();
        settle(*board);
        QTest::qWait(400); // the smooth passes of the first build
        return *board;
    }
};

// Runs this benchmark again with args, in a process of its own, and reads the numbers it prints.
inline QList<double> runChild(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(1200000);
    QList<double> out;
    for (const QByteArray &f : p.readAllStandardOutput().trimmed().split(' '))
        out.append(f.toDouble());
    return out;
}
