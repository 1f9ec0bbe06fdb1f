// The settings window's controls for following the other boards and for the size of "Klara",
// SYNKA and KLARAANTAL.
#include "FileHelpers.h"
#include "SettingsInstall.h"
#include "controls/Panel.h"
#include "pos/InstallDir.h"
#include "settings/Installningar.h"
#include "settings/OtherBoardsSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Install = SettingsInstall;

} // namespace

class TestOtherBoardsBoxes : public QObject
{
    Q_OBJECT

private slots:
    // In a strip of their own: the sample card never covers them, however wide or far right.
    void placedWhereNothingElseStands()
    {
        Install install("[BONG]\r\nBREDD=400\r\nVANSTER=200\r\n");
        TF_Installningar w;
        OtherBoardsBoxes &boxes = *w.otherBoardsBoxes;
        const QList<QWidget *> ours {boxes.heading, boxes.cb_Synka, boxes.doneHeading,
                                     boxes.ed_KlaraAntal};
        for (QWidget *mine : ours) {
            QVERIFY(mine->isVisibleTo(&w));
            QVERIFY(w.rect().contains(mine->geometry()));
            // The tick box shows its whole text.
            QVERIFY(!qobject_cast<QCheckBox *>(mine) || mine->sizeHint().width() <= mine->width());
            for (QWidget *other : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (ours.contains(other) || !other->isVisibleTo(&w))
                    continue;
                QVERIFY2(!mine->geometry().intersects(other->geometry()),
                         other->metaObject()->className());
            }
        }
    }

    void shownAsStored_data()
    {
        QTest::addColumn<QByteArray>("spisko");
        QTest::addColumn<bool>("follow");
        QTest::addColumn<int>("limit");
        QTest::newRow("no file") << QByteArray() << true << 100;
        QTest::newRow("switched off") << QByteArray("[SKARM]\r\nSYNKA=N\r\n") << false << 100;
        QTest::newRow("lower case is no") << QByteArray("[SKARM]\r\nSYNKA=j\r\n") << false << 100;
        QTest::newRow("a number") << QByteArray("[SKARM]\r\nKLARAANTAL= 250 \r\n") << true << 250;
        QTest::newRow("not a number") << QByteArray("[SKARM]\r\nKLARAANTAL=abc\r\n") << true << 100;
        QTest::newRow("below one") << QByteArray("[SKARM]\r\nKLARAANTAL=0\r\n") << true << 1;
        QTest::newRow("too many") << QByteArray("[SKARM]\r\nKLARAANTAL=99999\r\n") << true
                                  << maxDoneLimit;
    }

    void shownAsStored()
    {
        QFETCH(QByteArray, spisko);
        QFETCH(bool, follow);
        QFETCH(int, limit);
        Install install(spisko);
        const OtherBoardsSettings read = readOtherBoardsSettings(install.file());
        QCOMPARE(read.follow, follow);
        QCOMPARE(read.doneLimit, limit);
        TF_Installningar w;
        QCOMPARE(w.otherBoardsBoxes->cb_Synka->isChecked(), follow);
        QCOMPARE(w.otherBoardsBoxes->ed_KlaraAntal->text(), QString::number(limit));
    }

    // A file written by an older board stays as it was until a control is changed.
    void onlyAChangedControlIsWritten()
    {
        const QByteArray before("[SKARM]\r\nNAMN=Alla\r\n");
        Install install(before);
        TF_Installningar w;
        w.SaveSettings();
        QVERIFY(!readBytes(install.file()).contains("SYNKA"));
        QVERIFY(!readBytes(install.file()).contains("KLARAANTAL"));
        w.otherBoardsBoxes->cb_Synka->setChecked(false);
        w.otherBoardsBoxes->ed_KlaraAntal->setText(u"40"_s);
        w.SaveSettings();
        const OtherBoardsSettings read = readOtherBoardsSettings(install.file());
        QVERIFY(!read.follow);
        QCOMPARE(read.doneLimit, 40);
        // Emptied, the field keeps what is stored.
        w.otherBoardsBoxes->ed_KlaraAntal->clear();
        w.SaveSettings();
        QCOMPARE(readOtherBoardsSettings(install.file()).doneLimit, 40);
    }
};

QTEST_MAIN(TestOtherBoardsBoxes)
#include "tst_otherboardsboxes.moc"
