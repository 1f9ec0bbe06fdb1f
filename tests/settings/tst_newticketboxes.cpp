// The settings window's tick boxes for the signal of new tickets, NYBLINKA and NYLJUD.
#include "FileHelpers.h"
#include "SettingsInstall.h"
#include "controls/Panel.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"
#include "settings/Installningar.h"
#include "settings/NewTicketSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Install = SettingsInstall;

const QByteArray tenKeys("[BONG]\r\nBREDD=225\r\nVANSTER=0\r\n[SKARM]\r\nRADER=3\r\nGRONSEK=280\r\n"
                         "GULSEK=500\r\nRODSEK=1000\r\nUPDATE=10\r\nREPAINT=N\r\nHORIZONTAL=N\r\n"
                         "NAMN=Alla\r\n");

// The next control that Tab reaches.
QWidget *nextTabStop(QWidget *at)
{
    do
        at = at->nextInFocusChain();
    while (at->focusProxy() || !(at->focusPolicy() & Qt::TabFocus));
    return at;
}

} // namespace

class TestNewTicketBoxes : public QObject
{
    Q_OBJECT

private slots:
    void placedWhereNothingElseStands()
    {
        Install install;
        TF_Installningar w;
        NewTicketBoxes &boxes = *w.newTicketBoxes;
        QCOMPARE(boxes.cb_NyBlinka->text(), u"Blinka"_s);
        QCOMPARE(boxes.cb_NyLjud->text(), u"Ljud"_s);
        QCOMPARE(boxes.heading->text(), u"Ny bong"_s);
        const QList<QWidget *> ours {boxes.heading, boxes.cb_NyBlinka, boxes.cb_NyLjud};
        for (QWidget *mine : ours) {
            QVERIFY(mine->isVisibleTo(&w));
            QVERIFY(w.rect().contains(mine->geometry()));
            QVERIFY(mine->sizeHint().width() <= mine->width() || mine == boxes.heading);
            // Above the sample card, however wide or far right it stands.
            QVERIFY(mine->geometry().bottom() < w.pa_Mall->y());
            for (QWidget *other : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (ours.contains(other) || other == w.pa_Mall || !other->isVisibleTo(&w))
                    continue;
                QVERIFY2(!mine->geometry().intersects(other->geometry()),
                         other->metaObject()->className());
            }
        }
        // After the window's own focus order.
        QCOMPARE(nextTabStop(w.cb_Horisontalt), boxes.cb_NyBlinka);
        QCOMPARE(nextTabStop(boxes.cb_NyBlinka), boxes.cb_NyLjud);
    }

    void shownAsStored_data()
    {
        QTest::addColumn<QByteArray>("spisko");
        QTest::addColumn<bool>("flash");
        QTest::addColumn<bool>("sound");
        QTest::newRow("no file") << QByteArray() << true << false;
        QTest::newRow("both switched")
            << QByteArray("[SKARM]\r\nNYBLINKA=N\r\nNYLJUD=J\r\n") << false << true;
        QTest::newRow("lower case")
            << QByteArray("[SKARM]\r\nNYBLINKA=j\r\nNYLJUD=j\r\n") << false << false;
    }

    void shownAsStored()
    {
        QFETCH(QByteArray, spisko);
        QFETCH(bool, flash);
        QFETCH(bool, sound);
        Install install(spisko);
        TF_Installningar w;
        QCOMPARE(w.newTicketBoxes->cb_NyBlinka->isChecked(), flash);
        QCOMPARE(w.newTicketBoxes->cb_NyLjud->isChecked(), sound);
        const NewTicketSignal read = readNewTicketSignal(install.file());
        QCOMPARE(read.flash, flash);
        QCOMPARE(read.sound, sound);
    }

    void onlyAChangedBoxIsWritten()
    {
        Install install(tenKeys);
        {
            TF_Installningar w;
            w.SaveSettings();
            QCOMPARE(readBytes(install.file()), tenKeys);
            w.newTicketBoxes->cb_NyLjud->setChecked(true);
            w.SaveSettings();
            QCOMPARE(readBytes(install.file()), tenKeys + "NYLJUD=J\r\n");
        }
        QVERIFY(readNewTicketSignal(install.file()).sound);
        TF_Installningar w;
        QVERIFY(w.newTicketBoxes->cb_NyLjud->isChecked());
        w.newTicketBoxes->cb_NyLjud->setChecked(false);
        w.newTicketBoxes->cb_NyBlinka->setChecked(false);
        w.SaveSettings();
        QCOMPARE(readBytes(install.file()), tenKeys + "NYLJUD=N\r\nNYBLINKA=N\r\n");
        const NewTicketSignal read = readNewTicketSignal(install.file());
        QVERIFY(!read.flash && !read.sound);
    }
};

QTEST_MAIN(TestNewTicketBoxes)
#include "tst_newticketboxes.moc"
