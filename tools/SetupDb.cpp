// Writes the board's connection settings, section DATABAS of "krumel.ini" in the board's
// directory (InstallDir, or --dir), and checks the connection once.
#include "ConnectionCheck.h"
#include "PasswordInput.h"
#include "PrivateSettingsFile.h"
#include "pos/InstallDir.h"
#include "pos/Scramble.h"
#include "pos/TavlixError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

enum ExitCode { Ok = 0, WriteFailed = 1, Usage = 2, CheckFailed = 3 };

int fail(int code, const QString &message)
{
    std::fprintf(stderr, "tavlix-setup-db: %s\n", message.toLocal8Bit().constData());
    return code;
}

// The settings file the board reads: "krumel.ini" in any case, or a new one.
QString settingsFile(const QString &dir)
{
    const QDir folder(dir);
    const QStringList found = folder.entryList({QStringLiteral("krumel.ini")}, QDir::Files);
    if (found.contains(QStringLiteral("krumel.ini")) || found.isEmpty())
        return folder.filePath(QStringLiteral("krumel.ini"));
    return folder.filePath(found.first());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavlix-setup-db"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the board's database connection settings (krumel.ini: data source, user and the "
        "scrambled password) and checks the connection once. The password is asked for, or read "
        "from standard input with --password-stdin; it is never taken as an argument, which "
        "every user of the machine could read in the process list."));
    parser.addHelpOption();
    const QCommandLineOption dsn(QStringLiteral("dsn"),
                                 QStringLiteral("ODBC data source name (odbc.ini)."),
                                 QStringLiteral("name"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name."),
                                  QStringLiteral("name"), QStringLiteral("SA"));
    const QCommandLineOption password(QStringLiteral("password-stdin"),
                                      QStringLiteral("Read the password from standard input."));
    const QCommandLineOption noPassword(QStringLiteral("no-password"),
                                        QStringLiteral("Connect without a password."));
    const QCommandLineOption dir(
        QStringLiteral("dir"),
        QStringLiteral("The board's directory (default: the one the board uses)."),
        QStringLiteral("path"));
    const QCommandLineOption noCheck(QStringLiteral("no-check"),
                                     QStringLiteral("Only write the settings."));
    parser.addOptions({dsn, user, password, noPassword, dir, noCheck});
    parser.process(app);

    if (!parser.isSet(dsn) || parser.value(dsn).trimmed().isEmpty())
        return fail(Usage, QStringLiteral("--dsn is required (see --help)"));
    if (parser.isSet(dir))
        setInstallDirOverride(parser.value(dir));
    const QString target = InstallDir().isEmpty() ? QStringLiteral(".") : InstallDir();
    if (!QFileInfo(target).isDir())
        return fail(Usage, QStringLiteral("no directory %1").arg(target));

    const QString name = parser.value(dsn).trimmed();
    const QString userName = parser.value(user);
    QString secret;
    if (parser.isSet(password))
        secret = readPassword({});
    else if (!parser.isSet(noPassword))
        secret = readPassword(QStringLiteral("Password of %1: ").arg(userName));

    const QString file = settingsFile(target);
    try {
        writePrivateSettings(file, QStringLiteral("DATABAS"),
                             {{QStringLiteral("ALIAS"), name},
                              {QStringLiteral("ANVNAMN"), userName},
                              {QStringLiteral("LOSEN"),
                               secret.isEmpty() ? QString()
                                                : Scramble(QStringLiteral("E"), secret,
                                                           QStringLiteral("VarkoAB"))}});
    } catch (const TavlixError &e) {
        return fail(WriteFailed, e.message());
    }
    std::printf("Wrote %s\n", QDir::cleanPath(file).toLocal8Bit().constData());

    if (parser.isSet(noCheck))
        return Ok;
    const ConnectionCheck check = checkConnection(name, userName, secret);
    const QString text = check.explanation(name, userName);
    if (!check.ok())
        return fail(CheckFailed, text);
    std::printf("%s\n", text.toLocal8Bit().constData());
    return Ok;
}
