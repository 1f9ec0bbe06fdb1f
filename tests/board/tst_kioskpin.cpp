// The kiosk PIN: stored as a salted hash, asked for by the gear button and by closing the board,
// and nothing asked without one.
#include "BoardFixture.h"
#include "board/PinDialog.h"
#include "pos/KioskPin.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QSize boardSize(1200, 800);

PinDialog *pinDialog(TF_Mainform &b)
{
    PinDialog *d = nullptr;
    QTest::qWaitFor([&] {
        d = b.findChild<PinDialog *>();
        return d && d->isVisible();
    });
    return d;
}

void enter(PinDialog *d, const QString &pin)
{
    d->edit()->setText(pin);
    QTest::keyClick(d->edit(), Qt::Key_Return);
}

} // namespace

class TestKioskPin : public QObject
{
    Q_OBJECT

private slots:
    void hashOfThePin_data()
    {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("matches");
        QTest::newRow("right") << u"2468"_s << true;
        QTest::newRow("wrong") << u"2469"_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void hashOfThePin()
    {
        QFETCH(QString, entered);
        QFETCH(bool, matches);
        const QString entry = KioskPin::entryFor(u"2468"_s);
        QVERIFY(!entry.contains(u"2468"_s));
        QCOMPARE(entry.size(), 32 + 1 + 64);
        QVERIFY(entry != KioskPin::entryFor(u"2468"_s)); // salted
        QCOMPARE(KioskPin::matches(entry, entered), matches);
        QVERIFY(!KioskPin::matches(u"2468"_s, u"2468"_s)); // a PIN stored in clear opens nothing
    }

    // A PIN file the board cannot read keeps the way shut rather than open.
    void anUnreadablePinFileKeepsTheWayShut()
    {
        BoardFixture f;
        QVERIFY(QDir(f.install.path()).mkdir(u"kiosk.ini"_s)); // nothing the board can read
        QVERIFY(KioskPin::isSet());
        TF_Mainform &b = f.start(boardSize);
        QTest::mouseClick(b.bu_Installningar, Qt::LeftButton, {}, QPoint(20, 17));
        PinDialog *d = pinDialog(b);
        QVERIFY(d);
        enter(d, QString());
        QVERIFY(d->isVisible());
        QVERIFY(!b.findChild<TF_Installningar *>());
        d->reject();
    }

    void withoutAPinNothingIsAsked()
    {
        BoardFixture f;
        TF_Mainform &b = f.start(boardSize);
        TF_Installningar *w = openSettings(b);
        QVERIFY(w);
        QVERIFY(!b.findChild<PinDialog *>());
        w->reject();
        b.close();
        QVERIFY(!b.isVisible());
    }

    void theGearAsksForThePin()
    {
        BoardFixture f;
        writeBytes(f.install.filePath(u"kiosk.ini"_s),
                   "[KIOSK]\r\nPIN=" + KioskPin::entryFor(u"2468"_s).toLatin1() + "\r\n");
        TF_Mainform &b = f.start(boardSize);
        QTest::mouseClick(b.bu_Installningar, Qt::LeftButton, {}, QPoint(20, 17));
        PinDialog *d = pinDialog(b);
        QVERIFY(d);
        QVERIFY(!b.findChild<TF_Installningar *>());
        enter(d, u"1111"_s);
        const QString shots = QStringLiteral(QT_TESTCASE_BUILDDIR "/boardshots");
        QDir().mkpath(shots);
        QVERIFY(d->grab().save(shots + u"/pin-dialog.png"_s)); // for whoever looks at it
        QVERIFY(d->isVisible());
        QCOMPARE(d->edit()->text(), QString());
        QVERIFY(!b.findChild<TF_Installningar *>());
        enter(d, u"2468"_s);
        QTRY_VERIFY(b.findChild<TF_Installningar *>());
        QTRY_VERIFY(!b.findChild<PinDialog *>());
        b.findChild<TF_Installningar *>()->reject();
    }

    void closingAsksForThePin()
    {
        BoardFixture f;
        writeBytes(f.install.filePath(u"kiosk.ini"_s),
                   "[KIOSK]\r\nPIN=" + KioskPin::entryFor(u"2468"_s).toLatin1() + "\r\n");
        TF_Mainform &b = f.start(boardSize);
        QVERIFY(!b.close()); // Alt+F4, or the house button
        QVERIFY(b.isVisible());
        PinDialog *d = pinDialog(b);
        QVERIFY(d);
        d->reject(); // "Avbryt": the board stays
        QTRY_VERIFY(!b.findChild<PinDialog *>());
        QVERIFY(b.isVisible());
        QTest::mouseClick(b.bu_stang, Qt::LeftButton, {}, QPoint(20, 17));
        d = pinDialog(b);
        QVERIFY(d);
        enter(d, u"2468"_s);
        QTRY_VERIFY(!b.isVisible());
    }
};

QTEST_MAIN(TestKioskPin)
#include "tst_kioskpin.moc"
