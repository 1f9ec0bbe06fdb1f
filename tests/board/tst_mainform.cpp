#include "BoardFixture.h"
#include "TicketRenderer.h"
#include "board/PageColumn.h"
#include "board/TicketPicture.h"
#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTabBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Board 1200 × 800: the page is 1178 × 772, rows 257 high, 1 pixel apart.
const QSize boardSize(1200, 800);
constexpr int h = 257;

int top(int row)
{
    return (row - 1) * (h + 1);
}

} // namespace

class TestMainform : public QObject
{
    Q_OBJECT

private slots:
    void windowAndTemplates()
    {
        BoardFixture f;
        TF_Mainform &b = f.start();
        QCOMPARE(b.windowTitle(), u"Tavlix"_s);
        QVERIFY(b.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(b.font().pixelSize(), 13);
        QCOMPARE(b.pa_Top->geometry(), QRect(0, 0, 1200, 36));
        QCOMPARE(b.pa_Hoger->geometry(), QRect(1200 - 344, 0, 344, 36));
        QCOMPARE(b.pa_Status->geometry(), QRect(0, 0, 249, 36));
        QCOMPARE(b.bu_Installningar->geometry(), QRect(259, 0, 41, 35));
        QCOMPARE(b.bu_stang->geometry(), QRect(302, 0, 41, 35));
        QCOMPARE(b.bu_stang->colorScheme(), TColorScheme::csGraySkin);
        QCOMPARE(b.bu_stang->glyph().size(), QSize(24, 24));
        QCOMPARE(b.PageControl1->tabBar()->tabText(0), u"Pågående"_s);
        QCOMPARE(b.PageControl1->tabBar()->tabText(1), u"Klara"_s);
        QCOMPARE(b.PageControl1->currentIndex(), 0);
        QCOMPARE(b.sb_Main->size(), QSize(1178, 772));
        QCOMPARE(b.sb_Main->mapTo(&b, QPoint(0, 0)), QPoint(0, 36 - 8));
        QCOMPARE(b.pa_Mall->width(), 225);
        QCOMPARE(b.pa_FotMall->height(), 31);
        QCOMPARE(b.pa_FotMall->color(), QColor(0x7C, 0xD5, 0x6C));
        QCOMPARE(b.pa_MallKlocka->width(), 80);
        QCOMPARE(b.pa_MallKlocka->font().pixelSize(), 32);
        QVERIFY(b.pa_MallKlocka->font().bold());
        QCOMPARE(b.bu_Mall->caption(), u"OK"_s);
        QCOMPARE(b.bu_Mall->colorScheme(), TColorScheme::csGrassSkin);
        QCOMPARE(b.bu_MallReady->caption(), u"X"_s);
        QCOMPARE(b.bu_MallReady->colorScheme(), TColorScheme::csRedSkin);
        QCOMPARE(b.pa_FotMallGul->color(), QColor(0xE9, 0xE1, 0x58));
        QCOMPARE(b.pa_FotMallRod->color(), QColor(0xED, 0x9C, 0x9A));
        QVERIFY(!b.pa_Mall->isVisible());
        QVERIFY(!b.im_Sharp->isVisible());
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
    }

    void sharpArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("shown");
        QTest::newRow("/sharp") << QStringList {u"/sharp"_s} << true;
        QTest::newRow("/SHARP") << QStringList {u"/SHARP"_s} << true;
        QTest::newRow("second argument") << QStringList {u"x"_s, u"/sharp"_s} << false;
        QTest::newRow("none") << QStringList {} << false;
    }

    void sharpArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, shown);
        BoardFixture f;
        TF_Mainform &b = f.start(boardSize, arguments);
        QCOMPARE(b.im_Sharp->isVisible(), shown);
        QCOMPARE(b.im_Sharp->size(), QSize(100, 15));
    }

    void placementFromSharedSettings_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("abc and 50")
            << QByteArray("[SALVIO]\r\nTAVLIX_X=abc\r\nTAVLIX_Y=50\r\n") << QPoint(0, 50);
        QTest::newRow("no file") << QByteArray() << QPoint(0, 0);
        QTest::newRow("both") << QByteArray("[salvio]\r\ntavlix_x=30\r\ntavlix_y= 40 \r\n")
                              << QPoint(30, 40);
    }

    void placementFromSharedSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QPoint, position);
        BoardFixture f;
        if (!settings.isEmpty())
            writeBytes(f.install.filePath(u"SETTINGS.INI"_s), settings);
        TF_Mainform b;
        QCOMPARE(b.pos(), position);
    }

    void positionStoredOnClose()
    {
        BoardFixture f;
        writeBytes(f.install.filePath(u"SETTINGS.INI"_s), "[Kassa]\r\nNr=2\r\n");
        TF_Mainform &b = f.start();
        b.move(12, -3);
        QTest::mouseClick(b.bu_stang, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(!b.isVisible());
        QCOMPARE(readBytes(f.install.filePath(u"SETTINGS.INI"_s)),
                 QByteArray("[Kassa]\r\nNr=2\r\n[SALVIO]\r\nTAVLIX_X=12\r\nTAVLIX_Y=-3\r\n"));
    }

    void positionThatCannotBeStored()
    {
        BoardFixture f;
        QDir(f.install.path()).mkdir(u"SETTINGS.INI"_s); // a folder where the file would be
        TF_Mainform &b = f.start();
        b.close();
        QCOMPARE(f.reports.size(), 1);
        QVERIFY(f.reports.first().startsWith(u"Tavlix|Unable to write to "_s));
        QVERIFY(!b.isVisible()); // the board still closes
    }

    // "Byt skärm": the maximized board gets a frame and its normal size; the first resize after
    // that (a maximize on another screen) makes it borderless again.
    void screenChange()
    {
        BoardFixture f;
        TF_Mainform &b = f.start();
        b.showMaximized();
        QTRY_VERIFY(b.isMaximized());
        QTimer::singleShot(0, &b, [] {
            auto *w = qobject_cast<TF_Installningar *>(QApplication::activeModalWidget());
            QVERIFY(w);
            QTest::mouseClick(w->bu_BytSkarm, Qt::LeftButton, {}, QPoint(20, 17));
        });
        QTest::mouseClick(b.bu_Installningar, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_VERIFY(!b.isMaximized());
        QVERIFY(!(b.windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(b.screenChangeFlag);
        QVERIFY(!QFile::exists(f.install.filePath(u"SPISKO.INI"_s)));
        b.move(40, 30); // moving alone keeps the frame
        QTest::qWait(50);
        QVERIFY(b.screenChangeFlag);
        b.showMaximized();
        QTRY_VERIFY(!b.screenChangeFlag);
        QVERIFY(b.windowFlags() & Qt::FramelessWindowHint);
    }

    void settingsApplied()
    {
        BoardFixture f("[BONG]\r\nBREDD=200\r\nVANSTER=7\r\n[SKARM]\r\nRADER=abc\r\nUPDATE=7\r\n"
                       "REPAINT=J\r\nHORIZONTAL=J\r\nNAMN=\r\n");
        TF_Mainform b;
        QCOMPARE(b.pa_Mall->width(), 200);
        QCOMPARE(b.pa_Mall->x(), 7);
        QCOMPARE(b.rowCount(), 3);
        QCOMPARE(b.ti_UpdateBongs.interval(), 7000);
        QVERIFY(b.repaintAll());
        QVERIFY(b.horizontalOrder());
        QVERIFY(b.sb_Main->vertBarVisible());
        QVERIFY(b.sb_Ready->vertBarVisible());
        QCOMPARE(b.deviceName(), QString());
        QVERIFY(b.link.ti_InitieraDB.isActive());
        QCOMPARE(b.LastId, 0);
    }

    void refreshPeriodOfAtLeastOneSecond()
    {
        BoardFixture f("[SKARM]\r\nUPDATE=0\r\nRADER=-2\r\n[BONG]\r\nBREDD=0\r\n");
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.ti_UpdateBongs.interval(), 1000);
        QCOMPARE(b.MainList.size(), size_t(2)); // rows and width below 1 count as 1
    }

    void fullBuildInNumberOrder()
    {
        BoardFixture f;
        for (int i = 0; i < 7; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.MainList.size(), size_t(7));
        QCOMPARE(f.ids(b.MainList),
                 (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s}));
        QCOMPARE(f.places(b.MainList),
                 (QList<QPoint> {{0, top(1)},
                                 {0, top(2)},
                                 {0, top(3)},
                                 {227, top(1)},
                                 {227, top(2)},
                                 {227, top(3)},
                                 {454, top(1)}}));
        QCOMPARE(b.LastId, 7);
        QCOMPARE(b.layoutState.mainSlots, 7);
        QCOMPARE(b.layoutState.nextRow, 2);
        QVERIFY(b.sb_Main->isVisible());
        QVERIFY(b.ti_UpdateBongs.isActive());

        const TBoxInfo &card = *b.MainList.front();
        QCOMPARE(card.Panel->size(), QSize(225, h));
        QCOMPARE(card.FootPanel->geometry(), QRect(0, h - 31, 225, 31));
        QCOMPARE(card.ClockPanel->geometry(), QRect(0, 0, 80, 31));
        QCOMPARE(card.ClockPanel->caption(), QString()); // empty for its first second
        QCOMPARE(card.ImageBox->geometry(), QRect(0, 0, 225, h - 31));
        QCOMPARE(card.ImageBox->imageScale(), 39); // 225 / 576 = 39.06 %
        QVERIFY(card.ImageBox->Image()->resample());
        QVERIFY(card.Timer && card.Timer->isActive());
        QCOMPARE(tagOf(card.Panel), 1);
        QCOMPARE(tagOf(card.Timer), 1);
        QCOMPARE(tagOf(card.ImageBox), 1);
        const auto *button = card.FootPanel->findChild<TXiButton *>();
        QCOMPARE(button->geometry(), QRect(190, 0, 35, 31));
        QCOMPARE(button->caption(), u"OK"_s);
        QCOMPARE(tagOf(button), 1);
    }

    void incrementalBuildContinuesTheLayout()
    {
        BoardFixture f;
        for (int i = 0; i < 7; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        const int before = b.link.database().statementsSent();
        b.ti_UpdateBongsTimer(); // nothing new: the health check and the count only
        QCOMPARE(b.link.database().statementsSent(), before + 2);
        for (int i = 0; i < 3; ++i)
            f.add();
        b.ti_UpdateBongsTimer();
        QCOMPARE(b.MainList.size(), size_t(10));
        QCOMPARE(f.places(b.MainList).mid(7),
                 (QList<QPoint> {{454, top(2)}, {454, top(3)}, {681, top(1)}}));
        QCOMPARE(b.LastId, 10);
        QVERIFY(b.ti_UpdateBongs.isActive());
    }

    void repaintRebuildsEveryCycle()
    {
        BoardFixture f("[SKARM]\r\nREPAINT=J\r\n");
        f.add();
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.MainList.size(), size_t(3));
        TQuery other(f.posDb); // another board marks ticket 2 done
        other.setLines({u"Update Tavlix Set Status = 1, "_s, u"Sekunder =20"_s, u"where ID=2"_s});
        other.execSql();
        b.ti_UpdateBongsTimer();
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {{0, top(1)}, {0, top(2)}}));
    }

    void withoutRepaintADoneTicketStays()
    {
        BoardFixture f;
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        TQuery other(f.posDb);
        other.setLines({u"Update Tavlix Set Status = 1, "_s, u"Sekunder =20"_s, u"where ID=2"_s});
        other.execSql();
        b.ti_UpdateBongsTimer();
        QCOMPARE(b.MainList.size(), size_t(2));
    }

    void damagedPictureKeepsItsSlot()
    {
        BoardFixture f;
        f.add();
        f.addBytes(BoardFixture::picture(300).left(200)); // truncated
        f.addBytes(QByteArray()); // empty
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {{0, top(1)}, {227, top(1)}}));
        QCOMPARE(b.LastId, 4);
        QVERIFY(f.reports.isEmpty());
        // The log names each ticket once.
        const QByteArray log = readBytes(f.install.filePath(u"tavlix.log"_s));
        QCOMPARE(log.count("\r\n"), 2);
        QVERIFY(log.contains("Bong 2 "));
        QVERIFY(log.contains("Bong 3 "));
    }

    // The select of the incremental build fails in the database (the driver reads its rows when
    // it runs the statement): the cards already on the board stay, the cycle goes on.
    void databaseErrorMidBuild()
    {
        BoardFixture f;
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        f.add();
        f.add();
        QSqlQuery sql(f.posDb.handle());
        QVERIFY(sql.exec(u"ALTER TABLE Tavlix RENAME TO TavlixData"_s));
        QVERIFY(sql.exec(u"CREATE VIEW Tavlix AS SELECT ID, LopNrFavUt, Status, Sekunder, Skapad, "
                         "CASE WHEN ID = 3 THEN json('trasig') ELSE Bong END AS Bong, "
                         "NULL AS BongChanged FROM TavlixData"_s));
        b.ti_UpdateBongsTimer();
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QCOMPARE(f.reports.size(), 1);
        QVERIFY2(f.reports.first().contains(u"malformed JSON"_s), qPrintable(f.reports.first()));
        QVERIFY(b.sb_Main->isVisible());
        QVERIFY(b.ti_UpdateBongs.isActive());
        QCOMPARE(b.LastId, 2);
    }

    void tallTicketsInTheVerticalOrder()
    {
        BoardFixture f;
        // Shown at 225 / 576: 1000 → 391 (1.5 rows), 300 → 117, 2000 → 781 (3 rows).
        f.add(1000);
        f.add(300);
        f.add(2000);
        f.add(2000);
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.MainList[0]->Panel->height(), 391);
        QCOMPARE(b.MainList[0]->Row, 2);
        QCOMPARE(b.MainList[1]->Panel->pos(), QPoint(0, top(3)));
        QCOMPARE(b.MainList[2]->Panel->pos(), QPoint(227, top(1)));
        QCOMPARE(b.MainList[2]->Panel->height(), 2 * h); // one row below it is left
        QCOMPARE(b.MainList[2]->Row, 2);
        QCOMPARE(b.MainList[3]->Panel->pos(), QPoint(227, top(3)));
        QCOMPARE(b.MainList[3]->Panel->height(), h); // the bottom row never grows
        QVERIFY(b.MainList[0]->ImageBox->verticalScrollBar()->isVisible());
        QVERIFY(!b.MainList[0]->ImageBox->horizontalScrollBar()->isVisible());
    }

    void horizontalOrder()
    {
        BoardFixture f("[SKARM]\r\nHORIZONTAL=J\r\n");
        for (int i = 0; i < 6; ++i)
            f.add();
        TF_Mainform &b = f.start(QSize(22 + 4 * 230, 800));
        QCOMPARE(
            f.places(b.MainList),
            (QList<QPoint> {{0, 0}, {230, 0}, {460, 0}, {690, 0}, {0, top(2)}, {230, top(2)}}));
        QCOMPARE(b.MainList[5]->Col, 1);
        QCOMPARE(b.layoutState.nextCol, 2);
        QCOMPARE(b.layoutState.nextRow, 2);
    }

    void clocksAndColours()
    {
        BoardFixture f;
        f.add(300, 0, std::nullopt, 995);
        f.add(300, 0, std::nullopt, 59);
        TF_Mainform &b = f.start(boardSize);
        TBoxInfo &late = *b.MainList[0];
        const QColor yellow(0xE9, 0xE1, 0x58), red(0xED, 0x9C, 0x9A), green(0x7C, 0xD5, 0x6C);
        QVERIFY(late.Seconds >= 995 && late.Seconds <= 996);
        late.Seconds = 995;
        QCOMPARE(late.FootPanel->color(), yellow);
        for (int tick = 1; tick <= 6; ++tick) {
            b.PanneKlockaTimer(late.Timer);
            QCOMPARE(late.FootPanel->color(), tick < 6 ? yellow : red);
        }
        QCOMPARE(late.Seconds, 1001);
        QCOMPARE(late.ClockPanel->caption(), u"00:16"_s);
        QCOMPARE(late.ClockPanel->color(), yellow); // the build colour stays

        TBoxInfo &young = *b.MainList[1];
        young.Seconds = 59;
        b.PanneKlockaTimer(young.Timer);
        QCOMPARE(young.ClockPanel->caption(), u"00:01"_s);
        QCOMPARE(young.FootPanel->color(), green);
        // A tick whose card is gone does nothing.
        QTimer stray;
        setTag(&stray, 99);
        b.PanneKlockaTimer(&stray);
    }

    void ageColourRule_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<QColor>("color");
        const QColor yellow(0xE9, 0xE1, 0x58), red(0xED, 0x9C, 0x9A), green(0x7C, 0xD5, 0x6C);
        QTest::newRow("-5") << -5 << green;
        QTest::newRow("279") << 279 << green;
        QTest::newRow("280, the band") << 280 << green;
        QTest::newRow("500") << 500 << green;
        QTest::newRow("501") << 501 << yellow;
        QTest::newRow("1000") << 1000 << yellow;
        QTest::newRow("1001") << 1001 << red;
    }

    void ageColourRule()
    {
        QFETCH(int, age);
        QFETCH(QColor, color);
        BoardFixture f;
        TF_Mainform b;
        QCOMPARE(b.AgeColor(age), color);
    }

    void doneTabBuild()
    {
        BoardFixture f;
        f.add(300, 1, 754);
        f.add(300, 0);
        f.add(300, 1, 30);
        TF_Mainform &b = f.start(boardSize);
        b.PageControl1->setCurrentIndex(1);
        QCOMPARE(f.ids(b.ReadyList), (QList<QString> {u"1"_s, u"3"_s}));
        const TBoxInfo &done = *b.ReadyList.front();
        QCOMPARE(done.ClockPanel->caption(), u"00:12"_s);
        QCOMPARE(done.FootPanel->color(), QColor(0xE9, 0xE1, 0x58));
        QCOMPARE(done.ClockPanel->color(), QColor(0xE9, 0xE1, 0x58));
        QVERIFY(!done.Timer);
        QCOMPARE(done.FootPanel->findChild<TXiButton *>()->caption(), u"X"_s);
        QCOMPARE(b.LastId, 2); // the done tab does not move it
        // Selecting it again builds it again, as the table is now.
        f.add(300, 1, 5);
        b.PageControl1->setCurrentIndex(0);
        b.PageControl1->setCurrentIndex(1);
        QCOMPARE(b.ReadyList.size(), size_t(3));
    }

    // A black-and-white ticket costs a card no more at 8, 24 or 32 bits than at 1 bit, and the
    // card, open or done, and its preview hold exactly the decoded pixels.
    void cardKeepsACompactCopy_data()
    {
        QTest::addColumn<int>("depth");
        for (int depth : {1, 8, 24, 32})
            QTest::addRow("%d-bit", depth) << depth;
    }

    void cardKeepsACompactCopy()
    {
        QFETCH(int, depth);
        QRandomGenerator random(5);
        const QImage printed = renderTicket(randomTicket(1, u"Kök"_s, random));
        const QByteArray bytes = bmpBytes(printed, depth);
        const QImage decoded = TicketPicture::load(bytes).image;
        const qint64 oneBit = TicketPicture::load(bmpBytes(printed, 1)).image.sizeInBytes();
        BoardFixture f;
        f.addBytes(bytes);
        f.pos->insertTicket(f.kitchen, 1, 60, QDateTime::currentDateTime(), bytes);
        TF_Mainform &b = f.start(boardSize);
        b.PageControl1->setCurrentIndex(1);
        QCOMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(b.ReadyList.size(), size_t(1));
        for (const CardList *list : {&b.MainList, &b.ReadyList}) {
            const QImage copy = list->front()->ImageBox->Image()->picture().image();
            QVERIFY2(copy.sizeInBytes() <= oneBit * 3 / 2,
                     qPrintable(u"%1 bytes"_s.arg(copy.sizeInBytes())));
            QCOMPARE(copy.convertToFormat(QImage::Format_ARGB32),
                     decoded.convertToFormat(QImage::Format_ARGB32));
        }
        b.PageControl1->setCurrentIndex(0);
        const TBoxInfo &card = *b.MainList.front();
        QTest::mouseClick(card.ImageBox->Image(), Qt::LeftButton, {}, QPoint(30, 30));
        const auto previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews[0]->Bild->Image()->picture().image().cacheKey(),
                 card.ImageBox->Image()->picture().image().cacheKey()); // shared, not copied
    }

    void deviceFilter()
    {
        BoardFixture f("[SKARM]\r\nNAMN=Bar\r\n");
        const int bar = f.pos->deviceNumber(u"Bar"_s);
        f.add();
        f.pos->insertTicket(bar, 0, std::nullopt, QDateTime::currentDateTime(),
                            BoardFixture::picture(300));
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"2"_s});
    }
};

QTEST_MAIN(TestMainform)
#include "tst_mainform.moc"
