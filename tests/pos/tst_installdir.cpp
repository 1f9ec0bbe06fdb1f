#include "FileHelpers.h"
#include "IniConformance.h"
#include "pos/InstallDir.h"
#include "pos/TavlixError.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

class TestInstallDir : public QObject
{
    Q_OBJECT

private slots:
    void directoryOfExecutable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("dir");
        QTest::newRow("with extension") << "/A/B/board.exe"
                                        << "/A/B/";
        QTest::newRow("dots in directories") << "/app1.2/x/board.exe"
                                             << "/app1.2/x/";
        QTest::newRow("no extension") << "/opt/tavlix/Tavlix"
                                      << "/opt/tavlix/";
        QTest::newRow("short name") << "/a/b/tx"
                                    << "/a/b/";
        QTest::newRow("no separator") << "board.exe"
                                      << "";
    }

    void directoryOfExecutable()
    {
        QFETCH(QString, path);
        QFETCH(QString, dir);
        QCOMPARE(installDirOf(path), dir);
    }

    void packagedProgramsUseTheDataDirectory_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("dir");
        QTest::newRow("packaged board") << "/usr/lib/tavlix/Tavlix"
                                        << "/var/lib/tavlix/";
        QTest::newRow("packaged tool") << "/usr/lib/tavlix/tavlix-setup-db"
                                       << "/var/lib/tavlix/";
        QTest::newRow("below the program directory") << "/usr/lib/tavlix/old/Tavlix"
                                                     << "/usr/lib/tavlix/old/";
        QTest::newRow("similar name") << "/usr/lib/tavlix2/Tavlix"
                                      << "/usr/lib/tavlix2/";
        QTest::newRow("a copy elsewhere") << "/home/kock/tavlix/Tavlix"
                                          << "/home/kock/tavlix/";
    }

    void packagedProgramsUseTheDataDirectory()
    {
        QFETCH(QString, path);
        QFETCH(QString, dir);
        QCOMPARE(installDirFor(path), dir);
    }

    void runningExecutable()
    {
        setInstallDirOverride({});
        QCOMPARE(InstallDir(), QCoreApplication::applicationDirPath() + u'/');
    }

    void sharedSettings()
    {
        QTemporaryDir dir;
        setInstallDirOverride(dir.path());
        const QString file = dir.filePath(QStringLiteral("SETTINGS.INI"));

        QCOMPARE(ReadSharedSetting(QStringLiteral("TAVLIX_X"), QStringLiteral("d")), u"d");
        QVERIFY(!QFile::exists(file));

        WriteSharedSetting(QStringLiteral("TAVLIX_X"), QStringLiteral("-3"));
        QCOMPARE(readBytes(file), QByteArray("[SALVIO]\r\nTAVLIX_X=-3\r\n"));

        writeBytes(file, "[Kassa]\r\nNr=1\r\n[salvio]\r\ntavlix_x= 40 \r\nTAVLIX_Y=7\r\n");
        QCOMPARE(ReadSharedSetting(QStringLiteral("TAVLIX_X"), {}), u"40");
        WriteSharedSetting(QStringLiteral("TAVLIX_X"), QStringLiteral("12"));
        QCOMPARE(readBytes(file),
                 QByteArray("[Kassa]\r\nNr=1\r\n[salvio]\r\ntavlix_x=12\r\n"
                            "TAVLIX_Y=7\r\n"));

        // Values are read up to 2047 characters.
        WriteSharedSetting(QStringLiteral("LONG"), QString(3000, u'x'));
        QCOMPARE(ReadSharedSetting(QStringLiteral("LONG"), {}).size(), 2047);
        setInstallDirOverride({});
    }

    // The shared file is read and written as the point-of-sale programs do (section "SALVIO").
    void profileFunctions_data() { IniConformance::addRows(QStringLiteral("SALVIO")); }

    void profileFunctions()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, write);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QTemporaryDir dir;
        setInstallDirOverride(dir.path());
        const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
        if (!file.isEmpty())
            writeBytes(path, file);
        if (write) {
            WriteSharedSetting(key, text);
            QTEST(readBytes(path), "after");
        } else {
            QTEST(ReadSharedSetting(key, text), "result");
        }
        setInstallDirOverride({});
    }
};

QTEST_GUILESS_MAIN(TestInstallDir)
#include "tst_installdir.moc"
