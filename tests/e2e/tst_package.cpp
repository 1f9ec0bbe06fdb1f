// The Debian package as a kitchen PC gets it: built by scripts/package.sh, installed on this
// machine, the installed board run by a member of the group "tavlix" against an SQLite data
// source set up with the installed commands, then upgraded, removed and purged, and installed over
// the files an earlier version left in /opt/tavlix. It changes the machine, so it runs as root only
// (as CI does) and never over a package it did not install.
#include "BoardScreen.h"
#include "FileHelpers.h"
#include "XSession.h"
#include "pos/IniFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace BoardScreen;

namespace {

const QString programDir = u"/usr/lib/tavlix/"_s;
const QString dataDir = u"/var/lib/tavlix/"_s;
// Where earlier versions kept programs and files together, writable by the group.
const QString oldDir = u"/opt/tavlix/"_s;
// Left while the test's own package is installed, so that a run broken off is cleaned up by the
// next one while a package someone installed by hand is left alone.
const QString marker = u"/var/tmp/tavlix-e2e-package"_s;
// The files the board and the point-of-sale installation keep in the data directory.
const QStringList keptFiles = {u"SPISKO.INI"_s, u"krumel.ini"_s, u"SETTINGS.INI"_s, u"tavlix.log"_s,
                               u"kiosk.ini"_s};

struct Result
{
    int exitCode = -1;
    QByteArray output;
};

Result run(const QString &program, const QStringList &arguments, int timeoutMs,
           const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
           const QByteArray &input = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted(10000))
        return {-1, "could not start " + program.toLocal8Bit()};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return {-1, p.readAll() + "\n(timed out)"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll()};
}

QByteArray tail(const QByteArray &output)
{
    return output.right(3000);
}

Result apt(const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DEBIAN_FRONTEND"_s, u"noninteractive"_s);
    return run(u"apt-get"_s,
               QStringList {u"-y"_s, u"-q"_s, u"-o"_s, u"DPkg::Lock::Timeout=600"_s,
                            u"--no-install-recommends"_s}
                   + arguments,
               900000, env);
}

// "install ok installed 0.1-1", or empty when dpkg knows no such package.
QString packageState()
{
    const Result r =
        run(u"dpkg-query"_s, {u"-W"_s, u"-f=${Status} ${Version}"_s, u"tavlix"_s}, 30000);
    return r.exitCode == 0 ? QString::fromUtf8(r.output).trimmed() : QString();
}

bool installed()
{
    return packageState().startsWith(u"install ok installed"_s);
}

// Installed, or removed with its configuration left.
bool known()
{
    const QString state = packageState();
    return !state.isEmpty() && !state.contains(u"not-installed"_s);
}

gid_t tavlixGroup()
{
    const group *g = getgrnam("tavlix");
    return g ? g->gr_gid : gid_t(-1);
}

// "root:tavlix 3770"-style description of a path itself (a link is not followed).
QString ownerAndMode(const QString &path)
{
    struct stat st
    {
    };
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return u"missing"_s;
    const group *g = getgrgid(st.st_gid);
    return u"%1:%2 %3"_s
        .arg(st.st_uid == 0 ? u"root"_s : QString::number(st.st_uid),
             g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid))
        .arg(uint(st.st_mode & 07777), 4, 8, QChar(u'0'));
}

// Members of the group write the data directory and new files there get the group, but none
// may delete or replace another's file (root's krumel.ini and kiosk.ini among them).
const QString dataDirMode = u"root:tavlix 3770"_s;

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private:
    XSession m_x;
    QStringList m_debs; // revision 1 and revision 2 of the same version
    QTemporaryDir m_debDir;
    QTemporaryDir m_data; // the ODBC configuration and the SQLite database
    QProcess m_board;
    QMap<QString, QByteArray> m_kept;

    QString dataPath(const QString &name) const { return m_data.filePath(name); }

    QProcessEnvironment odbcEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ODBCSYSINI"_s, m_data.path());
        env.insert(u"ODBCINI"_s, dataPath(u"odbc.ini"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        return env;
    }

    QString boardWindow() const
    {
        return m_x.xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tavlix$"_s})
            .section(u'\n', 0, 0);
    }

    // What movesTheFilesOfTheOldLayout left, and only that.
    static void removeOldDir()
    {
        if (!QFile::exists(oldDir + u".tavlix-e2e"_s))
            return;
        QDir(oldDir).removeRecursively();
        run(u"dpkg-statoverride"_s, {u"--remove"_s, oldDir.chopped(1)}, 30000);
    }

    void purgeOwnPackage()
    {
        if (QFile::exists(marker) && known())
            apt({u"purge"_s, u"tavlix"_s});
        QFile::remove(marker);
    }

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("installs a package on this machine: runs as root only, as in CI");
        if (known() && !QFile::exists(marker))
            QSKIP(
                "a tavlix package is installed here already; the test would replace and purge it");
        purgeOwnPackage();

        for (const QString &release : {u"1"_s, u"2"_s}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"PACKAGE_BUILD_DIR"_s, QStringLiteral(TAVLIX_PACKAGE_BUILD_DIR));
            env.insert(u"PACKAGE_RELEASE"_s, release);
            const Result r = run(QStringLiteral(TAVLIX_PACKAGE_SCRIPT), {}, 2400000, env);
            QVERIFY2(r.exitCode == 0, tail(r.output).constData());
            const QString deb = QString::fromLocal8Bit(r.output).trimmed().section(u'\n', -1);
            QVERIFY2(deb.endsWith(u"-%1_amd64.deb"_s.arg(release)) && QFile::exists(deb),
                     qPrintable(deb));
            m_debs.append(m_debDir.filePath(QFileInfo(deb).fileName()));
            QVERIFY(QFile::copy(deb, m_debs.last()));
        }
        writeBytes(marker, "tavlix e2e-package\n");
        QVERIFY2(m_x.start(), "Xvfb or openbox did not start");
    }

    void cleanupTestCase()
    {
        if (m_board.state() != QProcess::NotRunning) {
            m_board.kill();
            m_board.waitForFinished(5000);
        }
        purgeOwnPackage();
        removeOldDir();
    }

    void installs()
    {
        const Result r = apt({u"install"_s, m_debs.at(0)});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        QVERIFY(packageState().endsWith(u"0.1-1"_s));
        QCOMPARE(ownerAndMode(dataDir), dataDirMode);
        for (const QString &command :
             {u"tavlix-simulator"_s, u"tavlix-scramble"_s, u"tavlix-setup-db"_s, u"tavlix-pin"_s}) {
            QCOMPARE(QFileInfo(u"/usr/bin/"_s + command).symLinkTarget(), programDir + command);
            QVERIFY(QFileInfo(programDir + command).isExecutable());
        }
        QVERIFY(readBytes(u"/usr/lib/systemd/user/tavlix.service"_s)
                    .contains("\nExecStart=" + programDir.toUtf8() + "Tavlix\n"));
        QVERIFY(readBytes(u"/usr/share/applications/tavlix.desktop"_s)
                    .contains("\nExec=" + programDir.toUtf8() + "Tavlix\n"));

        // Nothing the package installed, and no directory it installed into, can be changed by
        // anyone but root: a member of the group could otherwise replace a program root runs.
        const Result list = run(u"dpkg"_s, {u"-L"_s, u"tavlix"_s}, 30000);
        QCOMPARE(list.exitCode, 0);
        const QStringList paths = QString::fromUtf8(list.output).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(paths.contains(programDir + u"Tavlix"_s));
        for (const QString &path : paths) {
            struct stat st
            {
            };
            QVERIFY2(lstat(QFile::encodeName(path).constData(), &st) == 0, qPrintable(path));
            QVERIFY2(st.st_uid == 0, qPrintable(path + u" is not root's"_s));
            if (!S_ISLNK(st.st_mode)) {
                QVERIFY2((st.st_mode & (S_IWGRP | S_IWOTH | S_ISUID | S_ISGID)) == 0,
                         qPrintable(path + u": "_s + ownerAndMode(path)));
            }
        }
        for (const QString &file : {u"/usr/share/applications/tavlix.desktop"_s,
                                    u"/usr/lib/systemd/user/tavlix.service"_s,
                                    u"/etc/xdg/autostart/tavlix-autostart.desktop"_s,
                                    u"/usr/share/icons/hicolor/scalable/apps/tavlix.svg"_s})
            QVERIFY2(QFile::exists(file), qPrintable(file));
    }

    // The installed commands set it up; a kitchen user (nobody, in the group tavlix) runs it
    // from another directory; it shows the tickets, and stores its position when closed.
    void boardRunsFromTheInstallation()
    {
        QVERIFY(installed());
        // Readable and writable for the kitchen user too (SQLite writes a journal beside it).
        QFile::setPermissions(m_data.path(), QFile::Permissions(0x7777));
        writeBytes(dataPath(u"odbcinst.ini"_s),
                   "[SQLite3]\nDriver=" TAVLIX_SQLITE_ODBC_DRIVER "\n");
        writeBytes(dataPath(u"odbc.ini"_s),
                   "[Kassa]\nDriver=SQLite3\nDatabase=" + QFile::encodeName(dataPath(u"kassa.db"_s))
                       + "\n");
        const QProcessEnvironment env = odbcEnvironment();

        Result r = run(u"/usr/bin/tavlix-simulator"_s,
                       {u"--dsn"_s, u"Kassa"_s, u"--open"_s, u"1"_s}, 60000, env);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QFile::setPermissions(dataPath(u"kassa.db"_s), QFile::Permissions(0x6666));
        r = run(u"/usr/bin/tavlix-setup-db"_s, {u"--dsn"_s, u"Kassa"_s, u"--password-stdin"_s},
                60000, env, "hemligt\n");
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QCOMPARE(IniFile::readString(dataDir + u"krumel.ini"_s, u"DATABAS"_s, u"ALIAS"_s, {}),
                 u"Kassa"_s);
        QCOMPARE(ownerAndMode(dataDir + u"krumel.ini"_s), u"root:tavlix 0640"_s);

        QProcessEnvironment boardEnv = m_x.environment();
        for (const QString &key : {u"ODBCSYSINI"_s, u"ODBCINI"_s})
            boardEnv.insert(key, env.value(key));
        boardEnv.insert(u"HOME"_s, m_data.path());
        m_board.setProcessEnvironment(boardEnv);
        m_board.setWorkingDirectory(u"/"_s);
        m_board.setProcessChannelMode(QProcess::MergedChannels);
        // An umask that would leave its files open to everyone.
        m_board.start(u"setpriv"_s,
                      {u"--reuid=65534"_s, u"--regid=65534"_s, u"--groups=%1"_s.arg(tavlixGroup()),
                       u"/bin/sh"_s, u"-c"_s, u"umask 000; exec %1Tavlix"_s.arg(programDir)});
        QVERIFY2(m_board.waitForStarted(10000), "the board did not start");
        QVERIFY2(XSession::waitFor([this] { return !boardWindow().isEmpty(); }, 15000),
                 "no window titled Tavlix");
        QVERIFY2(XSession::waitFor(
                     [&] { return statusShows(m_x.screenshot(), u"Databas kontakt OK"_s); }, 15000),
                 "the status line never showed Databas kontakt OK");
        QVERIFY2(XSession::waitFor(
                     [&] { return near(m_x.screenshot().pixelColor(footer(0, 1)), green); }, 10000),
                 "no card for the waiting ticket");

        // A ticket the point-of-sale side sends while the board runs shows at the next refresh.
        r = run(u"/usr/bin/tavlix-simulator"_s,
                {u"--dsn"_s, u"Kassa"_s, u"--feed"_s, u"0.1"_s, u"--count"_s, u"1"_s}, 60000, env);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QVERIFY2(XSession::waitFor(
                     [&] { return near(m_x.screenshot().pixelColor(footer(0, 2)), green); }, 30000),
                 "the new ticket did not appear");

        const QString board = boardWindow();
        QVERIFY(
            XSession::waitFor([&] { return m_x.xdotool({u"getactivewindow"_s}) == board; }, 5000));
        m_x.click(closeButton());
        QVERIFY2(m_board.waitForFinished(10000), "the board did not close");
        QCOMPARE(m_board.exitCode(), 0);
        QCOMPARE(
            IniFile::readString(dataDir + u"SETTINGS.INI"_s, u"SALVIO"_s, u"TAVLIX_X"_s, u"-"_s),
            u"0"_s);
        QCOMPARE(ownerAndMode(dataDir + u"SETTINGS.INI"_s), u"65534:tavlix 0660"_s);
    }

    void upgradeKeepsTheFiles()
    {
        QVERIFY(installed());
        // Stand-ins where the run above left none.
        for (const auto &[name, text] :
             {std::pair {u"SPISKO.INI"_s, QByteArray("[SKARM]\r\nRADER=4\r\n")},
              std::pair {u"tavlix.log"_s, QByteArray("2026-01-01 10:00 Fel: prov\r\n")},
              std::pair {u"kiosk.ini"_s, QByteArray("[KIOSK]\r\n")}}) {
            if (!QFile::exists(dataDir + name))
                writeBytes(dataDir + name, text);
        }
        for (const QString &name : keptFiles) {
            QVERIFY2(QFile::exists(dataDir + name), qPrintable(name));
            m_kept[name] = readBytes(dataDir + name);
        }

        Result r = apt({u"install"_s, u"--reinstall"_s, m_debs.at(0)});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        r = apt({u"install"_s, m_debs.at(1)});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        QVERIFY(packageState().endsWith(u"0.1-2"_s));
        for (const QString &name : keptFiles)
            QCOMPARE(readBytes(dataDir + name), m_kept.value(name));
        QCOMPARE(ownerAndMode(dataDir), dataDirMode);
    }

    void removeKeepsAndPurgeDeletes()
    {
        QVERIFY(installed());
        Result r = apt({u"remove"_s, u"tavlix"_s});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        QVERIFY(!installed());
        QVERIFY(!QFile::exists(programDir + u"Tavlix"_s));
        QVERIFY(!QFile::exists(u"/usr/bin/tavlix-setup-db"_s));
        for (const QString &name : keptFiles)
            QCOMPARE(readBytes(dataDir + name), m_kept.value(name));

        r = apt({u"purge"_s, u"tavlix"_s});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        QVERIFY(!known());
        QVERIFY2(!QFileInfo::exists(dataDir), "purge left the data directory");
        QVERIFY2(!QFileInfo::exists(programDir), "purge left the program directory");
        QVERIFY(!QFile::exists(u"/etc/xdg/autostart/tavlix-autostart.desktop"_s));
    }

    // An earlier version kept programs and files together in /opt/tavlix, writable by the group.
    // Installing over what it left moves the board's files to the data directory once, and takes
    // nothing a member of the group planted there in place of a file.
    void movesTheFilesOfTheOldLayout()
    {
        QVERIFY(!known());
        if (QFileInfo::exists(oldDir) && !QFile::exists(oldDir + u".tavlix-e2e"_s))
            QSKIP("/opt/tavlix exists here already; the test would change it");
        QVERIFY(QDir().mkpath(oldDir));
        writeBytes(oldDir + u".tavlix-e2e"_s, {});
        QCOMPARE(chown(QFile::encodeName(oldDir).constData(), 0, tavlixGroup()), 0);
        QCOMPARE(chmod(QFile::encodeName(oldDir).constData(), 02775), 0);
        QCOMPARE(
            run(u"dpkg-statoverride"_s,
                {u"--update"_s, u"--add"_s, u"root"_s, u"tavlix"_s, u"2775"_s, oldDir.chopped(1)},
                30000)
                .exitCode,
            0);
        // The board finds krumel.ini in any case of its name; a crash left a copy of SPISKO.INI.
        const QMap<QString, QByteArray> old = {
            {u"KRUMEL.INI"_s, "[DATABAS]\r\nALIAS=Kassa\r\nLOSEN=x\r\n"},
            {u"SPISKO.INI"_s, "[SKARM]\r\nRADER=3\r\n"},
            {u"SPISKO.INI.a1B2c3.bak"_s, "[SKARM]\r\nRADER=2\r\n"},
            {u"SETTINGS.INI"_s, "[SALVIO]\r\nTAVLIX_X=5\r\n"}};
        for (auto it = old.begin(); it != old.end(); ++it) {
            writeBytes(oldDir + it.key(), it.value());
            QCOMPARE(chown(QFile::encodeName(oldDir + it.key()).constData(), 65534, tavlixGroup()),
                     0);
            QVERIFY(QFile::setPermissions(oldDir + it.key(), QFile::Permissions(0x6644)));
        }
        // What a member planted: a link and a hard link to files of root's, and a qt.conf.
        QVERIFY(QDir().mkpath(oldDir + u".root"_s));
        const QString target = oldDir + u".root/secret"_s;
        writeBytes(target, "root\n");
        QCOMPARE(chown(QFile::encodeName(target).constData(), 0, 0), 0);
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(target, oldDir + u"tavlix.log"_s));
        QCOMPARE(link(QFile::encodeName(target).constData(),
                      QFile::encodeName(oldDir + u"kiosk.ini"_s).constData()),
                 0);
        writeBytes(oldDir + u"qt.conf"_s, "[Paths]\nPlugins=/tmp\n");
        // A member who kept a moved file open must not write into its new place.
        QFile held(oldDir + u"SPISKO.INI"_s);
        QVERIFY(held.open(QIODevice::ReadWrite));

        const Result r = apt({u"install"_s, m_debs.at(1)});
        QVERIFY2(r.exitCode == 0, tail(r.output).constData());
        QCOMPARE(ownerAndMode(dataDir), dataDirMode);
        for (auto it = old.begin(); it != old.end(); ++it) {
            QCOMPARE(readBytes(dataDir + it.key()), it.value());
            QVERIFY2(!QFileInfo::exists(oldDir + it.key()), qPrintable(it.key()));
        }
        QVERIFY(held.write("[SKARM]\r\nRADER=1\r\n") > 0 && held.flush());
        QCOMPARE(readBytes(dataDir + u"SPISKO.INI"_s), old.value(u"SPISKO.INI"_s));
        held.close();
        // Each a new file of root's, which nobody from the old directory holds open or linked.
        QCOMPARE(ownerAndMode(dataDir + u"KRUMEL.INI"_s), u"root:tavlix 0640"_s);
        QCOMPARE(ownerAndMode(dataDir + u"SPISKO.INI"_s), u"root:tavlix 0660"_s);
        QCOMPARE(ownerAndMode(dataDir + u"SETTINGS.INI"_s), u"root:tavlix 0660"_s);
        for (const QString &planted : {u"tavlix.log"_s, u"kiosk.ini"_s})
            QVERIFY2(!QFileInfo::exists(dataDir + planted), qPrintable(planted));
        QCOMPARE(ownerAndMode(target), u"root:root 0600"_s);
        QCOMPARE(readBytes(target), QByteArray("root\n"));
        // The old directory stays for what was not moved, shut to the group.
        QCOMPARE(ownerAndMode(oldDir), u"root:root 0755"_s);
        QVERIFY(run(u"dpkg-statoverride"_s, {u"--list"_s, oldDir.chopped(1)}, 30000).exitCode != 0);
        removeOldDir();
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            m_x.saveFailureScreenshot();
            if (m_board.isOpen())
                qWarning("board output: %s", m_board.readAll().constData());
        }
        if (m_board.state() != QProcess::NotRunning) {
            m_board.kill();
            m_board.waitForFinished(5000);
        }
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
