#include "pos/TavlixError.h"
#include "pos/TextUtils.h"
#include "pos/TimeUtils.h"

#include <QTest>

class TestTextUtils : public QObject
{
    Q_OBJECT

private slots:
    void clockText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "00:00:00";
        QTest::newRow("59") << 59 << "00:00:59";
        QTest::newRow("60") << 60 << "00:01:00";
        QTest::newRow("3599") << 3599 << "00:59:59";
        QTest::newRow("3600") << 3600 << "01:00:00";
        QTest::newRow("3725") << 3725 << "01:02:05";
        QTest::newRow("359999") << 359999 << "99:59:59";
        QTest::newRow("100 hours keep two digits") << 360000 << "10:00:00";
        QTest::newRow("-5") << -5 << "00:00:-5";
        QTest::newRow("-65") << -65 << "00:-1:-5";
    }

    void clockText()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(ClockText(seconds), text);
    }

    void padZeros_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::newRow("short") << 2 << "7"
                               << "07";
        QTest::newRow("long") << 2 << "123"
                              << "12";
        QTest::newRow("minus sign counts") << 2 << "-5"
                                           << "-5";
        QTest::newRow("empty") << 3 << ""
                               << "000";
    }

    void padZeros()
    {
        QFETCH(int, width);
        QFETCH(QString, text);
        QFETCH(QString, padded);
        QCOMPARE(PadZeros(width, text), padded);
    }

    void elapsedSeconds_data()
    {
        QTest::addColumn<double>("later");
        QTest::addColumn<double>("earlier");
        QTest::addColumn<int>("seconds");
        const double day = 1.0;
        const double second = day / 86400;
        QTest::newRow("13 hours") << 45000.0 + 13.0 / 24 << 45000.0 << 46800;
        const double span = day + (2 * 3600 + 3 * 60 + 4) * second;
        QTest::newRow("1 d 2 h 3 min 4 s") << 45000.5 + span << 45000.5 << 93784;
        QTest::newRow("swapped") << 45000.5 << 45000.5 + span << -93784;
        QTest::newRow("59.9996 s rounds to 60") << 45000.25 + 59.9996 * second << 45000.25 << 60;
        QTest::newRow("59.9994 s is 59") << 45000.25 + 59.9994 * second << 45000.25 << 59;
        QTest::newRow("equal") << 45000.0 << 45000.0 << 0;
    }

    void elapsedSeconds()
    {
        QFETCH(double, later);
        QFETCH(double, earlier);
        QFETCH(int, seconds);
        QCOMPARE(ElapsedSeconds(later, earlier), seconds);
    }

    void elapsedSecondsOfDateTimes()
    {
        const QDateTime created(QDate(2026, 12, 10), QTime(11, 0, 0));
        QCOMPARE(ElapsedSeconds(created.addSecs(754), created), 754);
        QCOMPARE(ElapsedSeconds(created, created.addSecs(5)), -5);
        QCOMPARE(toDays(QDateTime(QDate(1899, 12, 31), QTime(12, 0))), 1.5);
    }

    void jn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("flag");
        QTest::newRow("J") << "J" << true;
        QTest::newRow("j") << "j" << false;
        QTest::newRow("JA") << "JA" << false;
        QTest::newRow("N") << "N" << false;
        QTest::newRow("empty") << "" << false;
    }

    void jn()
    {
        QFETCH(QString, text);
        QFETCH(bool, flag);
        QCOMPARE(JNToBool(text), flag);
        QCOMPARE(BoolToJN(true), u"J");
        QCOMPARE(BoolToJN(false), u"N");
    }

    void strToInt()
    {
        QCOMPARE(StrToInt(QStringLiteral("-12")), -12);
        QCOMPARE(StrToIntDef(QStringLiteral("abc"), 3), 3);
        QCOMPARE(StrToIntDef(QString(), 10), 10);
        try {
            StrToInt(QStringLiteral("abc"));
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid integer value"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_textutils.moc"
