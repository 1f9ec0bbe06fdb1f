#include "pos/Cp1252.h"
#include "pos/Scramble.h"
#include "pos/TavlixError.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QString key = QStringLiteral("VarkoAB");
}

class TestScramble : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::newRow("0") << QString();
        QTest::newRow("1") << QStringLiteral("a");
        QTest::newRow("7, the key's length") << QStringLiteral("hemligt");
        QTest::newRow("8, the key starts again") << QStringLiteral("Lösen123");
        QTest::newRow("100") << QString(100, u'Z');
        QByteArray all;
        for (int c = 1; c < 256; ++c)
            all.append(static_cast<char>(c));
        QTest::newRow("codes 1 to 255") << Cp1252::decode(all);
    }

    void roundTrip()
    {
        QFETCH(QString, plain);
        const QString scrambled = Scramble(QStringLiteral("E"), plain, key);
        QCOMPARE(scrambled.size(), 2 * (plain.size() + 1));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(scrambled).hasMatch());
        QCOMPARE(Scramble(QStringLiteral("D"), scrambled, key), plain);
        QCOMPARE(Scramble(QStringLiteral("D"), scrambled.toLower(), key), plain);
    }

    void randomSeed()
    {
        QSet<QString> forms;
        for (int i = 0; i < 20; ++i)
            forms.insert(Scramble(QStringLiteral("E"), QStringLiteral("pw"), key));
        QVERIFY(forms.size() > 1);
    }

    void knownForm()
    {
        // seed 0x10; 'A' (65): (65 + 16) mod 255 = 81 xor 'V' (86) = 7; 'b' (98): (98 + 7) xor 'a'.
        const QString form =
            QStringLiteral("1007") + QStringLiteral("%1").arg((105 ^ 97), 2, 16, QChar(u'0'));
        QCOMPARE(Scramble(QStringLiteral("D"), form, key), QStringLiteral("Ab"));
        // A character code 0 comes back as 255; a lone last digit is ignored.
        const QString zero = QStringLiteral("00%1").arg(0 ^ 86, 2, 16, QChar(u'0'));
        QCOMPARE(Scramble(QStringLiteral("D"), zero + u'7', key), QString(QChar(char16_t(255))));
        QCOMPARE(Scramble(QStringLiteral("D"), QStringLiteral("3F"), key), QString());
    }

    void otherModes()
    {
        QCOMPARE(Scramble(QStringLiteral("e"), QStringLiteral("x"), key), QString());
        QCOMPARE(Scramble(QStringLiteral("d"), QStringLiteral("0011"), key), QString());
        QCOMPARE(Scramble(QStringLiteral("X"), QStringLiteral("0011"), key), QString());
    }

    void otherKeyGivesOtherText()
    {
        const QString s = Scramble(QStringLiteral("E"), QStringLiteral("secret"), key);
        QVERIFY(Scramble(QStringLiteral("D"), s, QStringLiteral("Other")) != u"secret");
    }

    void notHexadecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad seed") << "ZZ00"
                                  << "'$ZZ' is not a valid integer value";
        QTest::newRow("bad pair") << "00A1G7"
                                  << "'$G7' is not a valid integer value";
        QTest::newRow("blank in pair") << "00 1"
                                       << "'$ 1' is not a valid integer value";
        QTest::newRow("empty") << ""
                               << "'$' is not a valid integer value";
    }

    void notHexadecimal()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            Scramble(QStringLiteral("D"), text, key);
            QFAIL("no error raised");
        } catch (const TavlixError &e) {
            QCOMPARE(e.message(), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestScramble)
#include "tst_scramble.moc"
