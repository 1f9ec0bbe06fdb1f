#include "FileHelpers.h"
#include "pos/TavlixError.h"
#include "settings/BoardSettings.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

class TestBoardSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("SPISKO.INI"));
    }

    void defaultsWithoutFile()
    {
        const BoardSettings s = readBoardSettings(m_path);
        QCOMPARE(s.bredd, 225);
        QCOMPARE(s.vanster, 0);
        QCOMPARE(s.rader, 3);
        QCOMPARE(s.gronsek, 280);
        QCOMPARE(s.gulsek, 500);
        QCOMPARE(s.rodsek, 1000);
        QCOMPARE(s.updateMs, 10000);
        QCOMPARE(s.repaint, false);
        QCOMPARE(s.horizontal, false);
        QCOMPARE(s.namn, u"Alla");
        QVERIFY(!QFile::exists(m_path));
    }

    void boardFallbacks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("RADER=abc") << QByteArray("[SKARM]\nRADER=abc\n") << "rader" << QVariant(3);
        QTest::newRow("RADER=7") << QByteArray("[SKARM]\nRADER=7\n") << "rader" << QVariant(7);
        QTest::newRow("BREDD=abc") << QByteArray("[BONG]\nBREDD=abc\n") << "bredd" << QVariant(225);
        QTest::newRow("VANSTER=-4")
            << QByteArray("[bong]\nvanster=-4\n") << "vanster" << QVariant(-4);
        QTest::newRow("GRONSEK empty")
            << QByteArray("[SKARM]\nGRONSEK=\n") << "gronsek" << QVariant(280);
        QTest::newRow("UPDATE=7") << QByteArray("[SKARM]\nUPDATE=7\n") << "update"
                                  << QVariant(7000);
        QTest::newRow("UPDATE empty")
            << QByteArray("[SKARM]\nUPDATE=\n") << "update" << QVariant(10000);
        QTest::newRow("REPAINT=J")
            << QByteArray("[SKARM]\nREPAINT=J\n") << "repaint" << QVariant(true);
        QTest::newRow("REPAINT=j")
            << QByteArray("[SKARM]\nREPAINT=j\n") << "repaint" << QVariant(false);
        QTest::newRow("HORIZONTAL=J")
            << QByteArray("[SKARM]\nHORIZONTAL=J\n") << "horizontal" << QVariant(true);
        QTest::newRow("NAMN empty stays empty")
            << QByteArray("[SKARM]\nNAMN=\n") << "namn" << QVariant(QString());
        QTest::newRow("NAMN Kök") << QByteArray("[SKARM]\nNAMN=K\xf6k\n") << "namn"
                                  << QVariant(QStringLiteral("Kök"));
    }

    void boardFallbacks()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        writeBytes(m_path, content);
        const BoardSettings s = readBoardSettings(m_path);
        const QVariantMap got {
            {QStringLiteral("rader"), s.rader},           {QStringLiteral("bredd"), s.bredd},
            {QStringLiteral("vanster"), s.vanster},       {QStringLiteral("gronsek"), s.gronsek},
            {QStringLiteral("update"), s.updateMs},       {QStringLiteral("repaint"), s.repaint},
            {QStringLiteral("horizontal"), s.horizontal}, {QStringLiteral("namn"), s.namn}};
        QCOMPARE(got.value(field), value);
    }

    void refreshInterval_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("ms");
        constexpr int longest = std::numeric_limits<int>::max();
        QTest::newRow("10") << 10 << 10000;
        QTest::newRow("1") << 1 << 1000;
        QTest::newRow("0: one second") << 0 << 1000;
        QTest::newRow("-5: one second") << -5 << 1000;
        QTest::newRow("the last whole second") << 2147483 << 2147483000;
        QTest::newRow("one more: the longest timer") << 2147484 << longest;
        QTest::newRow("3000000") << 3000000 << longest;
        QTest::newRow("largest") << longest << longest;
        QTest::newRow("smallest") << std::numeric_limits<int>::min() << 1000;
    }

    void refreshInterval()
    {
        QFETCH(int, seconds);
        QFETCH(int, ms);
        QCOMPARE(refreshIntervalMs(seconds), ms);
        writeBytes(m_path, "[SKARM]\nUPDATE=" + QByteArray::number(seconds) + '\n');
        QCOMPARE(readBoardSettings(m_path).updateMs, ms);
    }

    void windowShowsStoredTexts()
    {
        writeBytes(m_path, "[BONG]\nBREDD=abc\n[SKARM]\nRADER=abc\nUPDATE=\nREPAINT=J\n");
        const SettingsTexts t = readSettingsTexts(m_path);
        QCOMPARE(t.bredd, 225);
        QCOMPARE(t.rader, u"abc");
        QCOMPARE(t.update, QString());
        QCOMPARE(t.gronsek, u"280");
        QCOMPARE(t.namn, u"Alla");
        QVERIFY(t.repaint);
        QVERIFY(!t.horizontal);
    }

    void saveWritesAllKeysInOrder()
    {
        SavedTexts t {QStringLiteral("230"),
                      QStringLiteral("-1"),
                      QStringLiteral("4"),
                      QStringLiteral("200"),
                      QStringLiteral("400"),
                      QStringLiteral("900"),
                      QStringLiteral("15"),
                      true,
                      false,
                      QStringLiteral("Kök")};
        writeSettingsTexts(m_path, t);
        QCOMPARE(readBytes(m_path),
                 QByteArray("[BONG]\r\nBREDD=230\r\nVANSTER=-1\r\n[SKARM]\r\nRADER=4\r\n"
                            "GRONSEK=200\r\nGULSEK=400\r\nRODSEK=900\r\nUPDATE=15\r\n"
                            "REPAINT=J\r\nHORIZONTAL=N\r\nNAMN=K\xf6k\r\n"));
        const BoardSettings s = readBoardSettings(m_path);
        QCOMPARE(s.rader, 4);
        QCOMPARE(s.updateMs, 15000);
        QCOMPARE(s.namn, u"Kök");
    }

    void failedSaveRaises()
    {
        writeBytes(m_dir->filePath(QStringLiteral("file")), "x");
        const QString path = m_dir->filePath(QStringLiteral("file/SPISKO.INI"));
        try {
            writeSettingsTexts(path, SavedTexts {});
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + path);
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestBoardSettings)
#include "tst_boardsettings.moc"
