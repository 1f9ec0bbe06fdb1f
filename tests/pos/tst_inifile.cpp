#include "FileHelpers.h"
#include "IniConformance.h"
#include "Unprivileged.h"
#include "pos/IniFile.h"
#include "pos/TavlixError.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether a write of one key, made as an ordinary user, raises "Unable to write to <path>".
bool writeRaisesForOrdinaryUser(const QString &path)
{
    return asOrdinaryUser([&path] {
        try {
            IniFile::writeString(path, QStringLiteral("SALVIO"), QStringLiteral("TAVLIX_X"),
                                 QStringLiteral("2"));
        } catch (const TavlixError &e) {
            return e.message() == QStringLiteral("Unable to write to ") + path;
        }
        return false;
    });
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("SPISKO.INI"));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray file =
            "; comment\r\n[salvio]\r\ntavlix_x=12\r\n  PAD  =   40  \r\n"
            "dq=\"quoted \"\r\nsq=' single'\r\nhalf=\"open\r\nmixed=\"a'\r\n"
            "lone=\"\r\nempty=\r\nsv=\xe5\xe4\xf6 \x80\r\n[OTHER]\r\nTAVLIX_X=99\r\n";
        QTest::newRow("case-insensitive names") << file << "SALVIO"
                                                << "TAVLIX_X"
                                                << "12";
        QTest::newRow("blanks around key and value") << file << "Salvio"
                                                     << "pad"
                                                     << "40";
        QTest::newRow("double quotes removed") << file << "SALVIO"
                                               << "dq"
                                               << "quoted ";
        QTest::newRow("single quotes removed") << file << "SALVIO"
                                               << "sq"
                                               << " single";
        QTest::newRow("unmatched quote kept") << file << "SALVIO"
                                              << "half"
                                              << "\"open";
        QTest::newRow("different quotes kept") << file << "SALVIO"
                                               << "mixed"
                                               << "\"a'";
        QTest::newRow("a lone quote kept") << file << "SALVIO"
                                           << "lone"
                                           << "\"";
        QTest::newRow("empty value is not the default") << file << "SALVIO"
                                                        << "empty"
                                                        << "";
        QTest::newRow("Windows-1252 letters") << file << "SALVIO"
                                              << "sv" << QStringLiteral("åäö €");
        QTest::newRow("key of another section") << file << "OTHER"
                                                << "tavlix_x"
                                                << "99";
        QTest::newRow("missing key") << file << "SALVIO"
                                     << "NONE"
                                     << "default";
        QTest::newRow("missing section") << file << "BONG"
                                         << "TAVLIX_X"
                                         << "default";
        QTest::newRow("LF line ends") << QByteArray("[A]\nk=v\n") << "a"
                                      << "K"
                                      << "v";
        QTest::newRow("no final line end") << QByteArray("[A]\nk=v") << "a"
                                           << "k"
                                           << "v";
        QTest::newRow("value with equals") << QByteArray("[A]\nk=a=b\n") << "A"
                                           << "k"
                                           << "a=b";
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeBytes(m_path, content);
        QCOMPARE(IniFile::readString(m_path, section, key, QStringLiteral("default")), expected);
    }

    void readMissingFile()
    {
        QCOMPARE(IniFile::readString(m_path, QStringLiteral("A"), QStringLiteral("k"),
                                     QStringLiteral("dflt")),
                 QStringLiteral("dflt"));
        QVERIFY(!QFile::exists(m_path));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray file = "; keep me\r\n[BONG]\r\nBREDD = 225\r\nVANSTER=0\r\n\r\n"
                                "[SKARM]\r\nrader=3\r\n";
        QTest::newRow("replace in place") << file << "bong"
                                          << "bredd"
                                          << "300"
                                          << QByteArray("; keep me\r\n[BONG]\r\nBREDD =300\r\n"
                                                        "VANSTER=0\r\n\r\n[SKARM]\r\nrader=3\r\n");
        QTest::newRow("missing key at end of its section")
            << file << "BONG"
            << "NY"
            << "x"
            << QByteArray("; keep me\r\n[BONG]\r\nBREDD = 225\r\nVANSTER=0\r\nNY=x\r\n\r\n"
                          "[SKARM]\r\nrader=3\r\n");
        QTest::newRow("missing key in last section")
            << file << "SKARM"
            << "NAMN"
            << "Alla"
            << QByteArray("; keep me\r\n[BONG]\r\nBREDD = 225\r\nVANSTER=0\r\n\r\n"
                          "[SKARM]\r\nrader=3\r\nNAMN=Alla\r\n");
        QTest::newRow("missing section at end of file")
            << QByteArray("[A]\r\nk=v") << "SALVIO"
            << "TAVLIX_X"
            << "-5" << QByteArray("[A]\r\nk=v\r\n[SALVIO]\r\nTAVLIX_X=-5\r\n");
        QTest::newRow("LF file keeps LF") << QByteArray("[A]\nk=v\n") << "A"
                                          << "n"
                                          << "1" << QByteArray("[A]\nk=v\nn=1\n");
        QTest::newRow("Windows-1252 value")
            << QByteArray() << "SKARM"
            << "NAMN" << QStringLiteral("Kök €") << QByteArray("[SKARM]\r\nNAMN=K\xf6k \x80\r\n");
        QTest::newRow("new file") << QByteArray() << "SALVIO"
                                  << "TAVLIX_Y"
                                  << "50" << QByteArray("[SALVIO]\r\nTAVLIX_Y=50\r\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            writeBytes(m_path, before);
        IniFile::writeString(m_path, section, key, value);
        QCOMPARE(readBytes(m_path), after);
        QCOMPARE(IniFile::readString(m_path, section, key, QString()), value);
    }

    void valueIsOneLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("readBack");

        // Each line break, CR LF, LF or a lone CR, becomes one space.
        const QByteArray file = "[SKARM]\r\nNAMN=Alla\r\nRADER=3\r\n";
        QTest::newRow("pasted name with its line end")
            << file << QStringLiteral("Bar\r\n")
            << QByteArray("[SKARM]\r\nNAMN=Bar \r\nRADER=3\r\n") << QStringLiteral("Bar");
        QTest::newRow("breaks that would add a section and a key")
            << file << QStringLiteral("Bar\r\n[BONG]\nBREDD=1\rx")
            << QByteArray("[SKARM]\r\nNAMN=Bar [BONG] BREDD=1 x\r\nRADER=3\r\n")
            << QStringLiteral("Bar [BONG] BREDD=1 x");
        QTest::newRow("new file") << QByteArray() << QStringLiteral("a\n\nb")
                                  << QByteArray("[SKARM]\r\nNAMN=a  b\r\n")
                                  << QStringLiteral("a  b");
    }

    void valueIsOneLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        if (!before.isEmpty())
            writeBytes(m_path, before);
        IniFile::writeString(m_path, QStringLiteral("SKARM"), QStringLiteral("NAMN"), value);
        QTEST(readBytes(m_path), "after");
        QTEST(IniFile::readString(m_path, QStringLiteral("SKARM"), QStringLiteral("NAMN"), {}),
              "readBack");
        QCOMPARE(IniFile::readString(m_path, QStringLiteral("BONG"), QStringLiteral("BREDD"),
                                     QStringLiteral("none")),
                 QStringLiteral("none"));
    }

    void profileFunctions_data() { IniConformance::addRows(); }

    void profileFunctions()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, write);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, text);
        if (!file.isEmpty())
            writeBytes(m_path, file);
        if (write) {
            IniFile::writeString(m_path, section, key, text);
            QTEST(readBytes(m_path), "after");
        } else {
            QTEST(IniFile::readString(m_path, section, key, text), "result");
        }
    }

    void roundTripSwedish()
    {
        const QString name = QStringLiteral("Kök & Bär, Öl");
        IniFile::writeString(m_path, QStringLiteral("SKARM"), QStringLiteral("NAMN"), name);
        QCOMPARE(IniFile::readString(m_path, QStringLiteral("skarm"), QStringLiteral("namn"), {}),
                 name);
    }

    void rewriteKeepsTheFile()
    {
        // The point-of-sale programs own the shared file: its owner, mode and hard links stay.
        const QString link = m_dir->filePath(QStringLiteral("LINK.INI"));
        writeBytes(m_path, "[SALVIO]\r\nTAVLIX_X=1\r\n");
        QVERIFY(::chmod(QFile::encodeName(m_path).constData(), 0640) == 0);
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(m_path).constData(), 65534, 65534) == 0);
        QVERIFY(::link(QFile::encodeName(m_path).constData(), QFile::encodeName(link).constData())
                == 0);
        const struct stat before = statOf(m_path);

        IniFile::writeString(m_path, QStringLiteral("SALVIO"), QStringLiteral("TAVLIX_X"),
                             QStringLiteral("2"));

        const struct stat after = statOf(m_path);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_nlink, nlink_t(2));
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        QCOMPARE(after.st_uid, root ? uid_t(65534) : before.st_uid);
        QCOMPARE(after.st_gid, root ? gid_t(65534) : before.st_gid);
        QCOMPARE(readBytes(link), QByteArray("[SALVIO]\r\nTAVLIX_X=2\r\n"));
        // Nothing is left beside it.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void failedRewriteLeavesTheFile()
    {
        // A size limit makes the write fail halfway through the new content.
        const QByteArray before = "[SALVIO]\r\nTAVLIX_X=1\r\n";
        writeBytes(m_path, before);
        const pid_t pid = fork();
        if (pid == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {64, 64};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                IniFile::writeString(m_path, QStringLiteral("SALVIO"), QStringLiteral("TAVLIX_X"),
                                     QString(100, u'9'));
            } catch (const TavlixError &) {
                _exit(0);
            }
            _exit(1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the write did not raise");
        QCOMPARE(readBytes(m_path), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void writableFileInReadOnlyDirectory()
    {
        const QString dir = reachableDir();
        const QString path = dir + QStringLiteral("/SETTINGS.INI");
        writeBytes(path, "[SALVIO]\r\nTAVLIX_X=1\r\n");
        QFile::setPermissions(path, QFile::Permissions(0x6666));
        QFile::setPermissions(dir, QFile::Permissions(0x5555));
        const ino_t inode = statOf(path).st_ino;

        const bool written = asOrdinaryUser([&path] {
            try {
                IniFile::writeString(path, QStringLiteral("SALVIO"), QStringLiteral("TAVLIX_X"),
                                     QStringLiteral("2"));
            } catch (const TavlixError &) {
                return false;
            }
            return true;
        });
        QFile::setPermissions(dir, QFile::Permissions(0x7777));
        QVERIFY2(written, "the write raised an error");
        QCOMPARE(readBytes(path), QByteArray("[SALVIO]\r\nTAVLIX_X=2\r\n"));
        QCOMPARE(statOf(path).st_ino, inode);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<bool>("readOnlyDir");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only file in a read-only directory") << true;
    }

    void failedWriteChangesNothing()
    {
        QFETCH(bool, readOnlyDir);
        const QString dir = reachableDir();
        const QString path = dir + QStringLiteral("/SETTINGS.INI");
        const QByteArray before = "[SALVIO]\r\nTAVLIX_X=1\r\n";
        writeBytes(path, before);
        QFile::setPermissions(path, QFile::Permissions(0x4444));
        QFile::setPermissions(
            dir, readOnlyDir ? QFile::Permissions(0x5555) : QFile::Permissions(0x7777));

        const bool raised = writeRaisesForOrdinaryUser(path);
        QFile::setPermissions(dir, QFile::Permissions(0x7777));
        QVERIFY2(raised, "the write did not raise \"Unable to write to <path>\"");
        QCOMPARE(readBytes(path), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void newFileInReadOnlyDirectoryRaises()
    {
        const QString dir = reachableDir();
        const QString path = dir + QStringLiteral("/SETTINGS.INI");
        QFile::setPermissions(dir, QFile::Permissions(0x5555));
        const bool raised = writeRaisesForOrdinaryUser(path);
        QFile::setPermissions(dir, QFile::Permissions(0x7777));
        QVERIFY2(raised, "the write did not raise \"Unable to write to <path>\"");
        QVERIFY(QDir(dir).isEmpty());
    }

    void unwritablePathRaises()
    {
        // A path below a regular file can never be written, whoever runs the test.
        writeBytes(m_dir->filePath(QStringLiteral("file")), "x");
        const QString path = m_dir->filePath(QStringLiteral("file/SETTINGS.INI"));
        try {
            IniFile::writeString(path, QStringLiteral("A"), QStringLiteral("k"),
                                 QStringLiteral("v"));
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + path);
        }
    }

private:
    static struct stat statOf(const QString &path)
    {
        struct stat st
        {
        };
        ::stat(QFile::encodeName(path).constData(), &st);
        return st;
    }

    // A directory that the ordinary user the permission checks run as can reach.
    QString reachableDir() const
    {
        QFile::setPermissions(m_dir->path(), QFile::Permissions(0x7777));
        const QString dir = m_dir->filePath(QStringLiteral("install"));
        QDir().mkdir(dir);
        return dir;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
