// Plays the point-of-sale system against an ODBC data source: creates the ticket tables when
// missing, adds output devices and inserts kitchen tickets as bitmap pictures.
#include "BmpWriter.h"
#include "PasswordInput.h"
#include "PosDatabase.h"
#include "TicketRenderer.h"
#include "db/Database.h"
#include "pos/Scramble.h"
#include "pos/TavlixError.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace {

struct Feed
{
    TDatabase db;
    PosDatabase *pos = nullptr;
    QStringList devices;
    QString onlyDevice;
    QList<int> depths;
    int width = 576;
    int maxAge = 0;
    int damaged = 0;
    int empty = 0;
    QRandomGenerator random;

    int insert(int status)
    {
        const QString device =
            onlyDevice.isEmpty() ? devices.at(random.bounded(int(devices.size()))) : onlyDevice;
        const int lopNr = pos->deviceNumber(device);
        const int age = maxAge > 0 ? random.bounded(maxAge + 1) : 0;
        const QDateTime created = QDateTime::currentDateTime().addSecs(-age);
        const int id = pos->nextId();
        const KitchenTicket ticket = randomTicket(id, device, random);
        QByteArray bong;
        if (empty > 0) {
            --empty;
        } else {
            const int depth = depths.at(random.bounded(int(depths.size())));
            bong = bmpBytes(renderTicket(ticket, width), depth);
            if (damaged > 0) {
                --damaged;
                bong.truncate(bong.size() / 2);
            }
        }
        const std::optional<int> sekunder =
            status == 1 ? std::optional<int>(age + 60 + random.bounded(900)) : std::nullopt;
        return pos->insertTicket(lopNr, status, sekunder, created, bong, id);
    }
};

int fail(const QString &message)
{
    std::fprintf(stderr, "tavlix-simulator: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tavlix-simulator"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays the point-of-sale system: writes kitchen tickets into the table Tavlix of an ODBC "
        "data source."));
    parser.addHelpOption();
    const QCommandLineOption dsn(QStringLiteral("dsn"), QStringLiteral("ODBC data source name."),
                                 QStringLiteral("name"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name."),
                                  QStringLiteral("name"), QStringLiteral("SA"));
    const QCommandLineOption password(QStringLiteral("password-stdin"),
                                      QStringLiteral("Read the password from standard input."));
    const QCommandLineOption devices(QStringLiteral("devices"),
                                     QStringLiteral("Output devices, separated by commas."),
                                     QStringLiteral("names"), QStringLiteral("Kök,Bar,Grill"));
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Send every ticket to this device."),
                                    QStringLiteral("name"));
    const QCommandLineOption open(QStringLiteral("open"),
                                  QStringLiteral("Insert N open tickets at once."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption done(QStringLiteral("done"),
                                  QStringLiteral("Insert M done tickets at once."),
                                  QStringLiteral("M"), QStringLiteral("0"));
    const QCommandLineOption feed(QStringLiteral("feed"),
                                  QStringLiteral("Then insert one open ticket every S seconds."),
                                  QStringLiteral("S"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Stop the feed after K tickets."),
                                   QStringLiteral("K"));
    const QCommandLineOption depth(QStringLiteral("depth"),
                                   QStringLiteral("Bits per pixel: 1, 8, 24, 32 or mixed."),
                                   QStringLiteral("bits"), QStringLiteral("1"));
    const QCommandLineOption maxAge(QStringLiteral("max-age"),
                                    QStringLiteral("Creation times up to S seconds in the past."),
                                    QStringLiteral("S"), QStringLiteral("0"));
    const QCommandLineOption width(QStringLiteral("width"),
                                   QStringLiteral("Ticket width in pixels."),
                                   QStringLiteral("pixels"), QStringLiteral("576"));
    const QCommandLineOption damaged(QStringLiteral("damaged"),
                                     QStringLiteral("The first K tickets get truncated pictures."),
                                     QStringLiteral("K"), QStringLiteral("0"));
    const QCommandLineOption empty(QStringLiteral("empty"),
                                   QStringLiteral("The first K tickets get empty pictures."),
                                   QStringLiteral("K"), QStringLiteral("0"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                  QStringLiteral("n"));
    const QCommandLineOption scramble(
        QStringLiteral("scramble"),
        QStringLiteral("Read a password from standard input, print its scrambled form for "
                       "krumel.ini and exit."));
    parser.addOptions({dsn, user, password, devices, device, open, done, feed, count, depth, maxAge,
                       width, damaged, empty, seed, scramble});
    parser.process(app);

    if (parser.isSet(scramble)) {
        std::printf("%s\n",
                    Scramble(QStringLiteral("E"), readPassword(QStringLiteral("Password: ")),
                             QStringLiteral("VarkoAB"))
                        .toLatin1()
                        .constData());
        return 0;
    }
    if (!parser.isSet(dsn))
        return fail(QStringLiteral("--dsn is required"));

    Feed f;
    f.devices = parser.value(devices).split(u',', Qt::SkipEmptyParts);
    f.onlyDevice = parser.value(device);
    if (f.devices.isEmpty() && f.onlyDevice.isEmpty())
        return fail(QStringLiteral("no output devices"));
    if (parser.value(depth) == u"mixed")
        f.depths = {1, 8, 24, 32};
    else
        f.depths = {parser.value(depth).toInt()};
    for (int d : f.depths) {
        if (d != 1 && d != 8 && d != 24 && d != 32)
            return fail(QStringLiteral("--depth must be 1, 8, 24, 32 or mixed"));
    }
    f.width = qBound(16, parser.value(width).toInt(), 4096);
    f.maxAge = parser.value(maxAge).toInt();
    f.damaged = parser.value(damaged).toInt();
    f.empty = parser.value(empty).toInt();
    if (parser.isSet(seed))
        f.random.seed(parser.value(seed).toUInt());
    else
        f.random.seed(QRandomGenerator::global()->generate());

    try {
        f.db.setAliasName(parser.value(dsn));
        f.db.setParams(parser.value(user), parser.isSet(password) ? readPassword({}) : QString());
        f.db.open();
        PosDatabase pos(f.db);
        f.pos = &pos;
        pos.createSchema();
        for (const QString &name : f.devices)
            pos.deviceNumber(name);
        for (int i = 0; i < parser.value(open).toInt(); ++i)
            f.insert(0);
        for (int i = 0; i < parser.value(done).toInt(); ++i)
            f.insert(1);
        if (!parser.isSet(feed))
            return 0;

        const int limit = parser.isSet(count) ? parser.value(count).toInt() : -1;
        int fed = 0;
        QTimer timer;
        timer.setInterval(qMax(1, int(parser.value(feed).toDouble() * 1000)));
        QObject::connect(&timer, &QTimer::timeout, &app, [&] {
            try {
                const int id = f.insert(0);
                std::printf("ticket %d\n", id);
                std::fflush(stdout);
            } catch (const TavlixError &e) {
                // The board's database may be away for a while; keep feeding.
                std::fprintf(stderr, "tavlix-simulator: %s\n",
                             e.message().toLocal8Bit().constData());
            }
            if (limit >= 0 && ++fed >= limit)
                app.quit();
        });
        timer.start();
        return app.exec();
    } catch (const TavlixError &e) {
        return fail(e.message());
    }
}
