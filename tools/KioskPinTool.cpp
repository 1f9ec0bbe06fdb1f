// Sets or clears the board's kiosk PIN: tavlix-pin [--dir PATH] [--clear]. The PIN is read from
// standard input (without echo on a terminal), never taken as an argument, and stored as a salted
// hash in kiosk.ini beside krumel.ini, as privately as that file.
#include "PasswordInput.h"
#include "PrivateSettingsFile.h"
#include "pos/InstallDir.h"
#include "pos/KioskPin.h"
#include "pos/TavlixError.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavlix-pin"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sets the PIN that the board's gear button and closing the board ask for, read from "
        "standard input; at least four characters. Without a PIN the board asks for nothing."));
    parser.addHelpOption();
    const QCommandLineOption dir(
        QStringLiteral("dir"),
        QStringLiteral("The board's directory (default: the one the board uses)."),
        QStringLiteral("path"));
    const QCommandLineOption clear(QStringLiteral("clear"), QStringLiteral("Remove the PIN."));
    parser.addOptions({dir, clear});
    parser.process(app);
    if (parser.isSet(dir))
        setInstallDirOverride(parser.value(dir));

    QString entry;
    if (!parser.isSet(clear)) {
        const QString pin = readPassword(QStringLiteral("PIN: "));
        if (pin.size() < 4) {
            std::fprintf(stderr, "tavlix-pin: a PIN has at least four characters\n");
            return 2;
        }
        entry = KioskPin::entryFor(pin);
    }
    try {
        writePrivateSettings(KioskPin::settingsFile(), QStringLiteral("KIOSK"),
                             {{QStringLiteral("PIN"), entry}});
    } catch (const TavlixError &e) {
        std::fprintf(stderr, "tavlix-pin: %s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    std::printf(entry.isEmpty() ? "The PIN is removed.\n" : "The PIN is set.\n");
    return 0;
}
