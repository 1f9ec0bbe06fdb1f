#include "BoardFixture.h"
#include "TicketRenderer.h"
#include "board/PageColumn.h"
#include "board/TicketPicture.h"
#include "board/TicketPlaceholder.h"
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

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Board 1200 × 800: the page is 1178 × 764, rows 254 high, 1 pixel apart.
const QSize boardSize(1200, 800);
constexpr int h = 254;

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
        // The pages start right under the top bar: nothing of the first row is cut off.
        QCOMPARE(b.sb_Main->size(), QSize(1178, 764));
        QCOMPARE(b.sb_Main->mapTo(&b, QPoint(0, 0)), QPoint(0, 36));
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

    // The picture stays centred in the area whatever gives the area its size.
    void sharpFollowsTheArea()
    {
        BoardFixture f;
        TF_Mainform &b = f.start(boardSize, {u"/sharp"_s});
        QCOMPARE(b.im_Sharp->geometry(), QRect((1178 - 100) / 2, (764 - 15) / 2, 100, 15));
        b.sb_Main->resize(600, 401); // the area alone, not the window
        QCOMPARE(b.im_Sharp->geometry(), QRect(250, 193, 100, 15));
        QCOMPARE(b.size(), boardSize);
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
        TF_Installningar *w = openSettings(b);
        QVERIFY(w);
        QTest::mouseClick(w->bu_BytSkarm, Qt::LeftButton, {}, QPoint(20, 17));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTRY_VERIFY(!b.isMaximized());
        QVERIFY(!(b.windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(b.screenChangeFlag);
        QVERIFY(!QFile::exists(f.install.filePath(u"SPISKO.INI"_s)));
        b.move(40, 30); // moving alone keeps the frame
        QTest::qWait(50);
        QVERIFY(b.screenChangeFlag);
        // A drag of its edge. The offscreen platform reports no resize when the board returns to
        // its normal size, so the first size it reports is still the maximized one.
        b.resize(900, 600);
        b.resize(950, 650);
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
        QCOMPARE(b.lastId(), 0);
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

    void longestRefreshPeriod()
    {
        BoardFixture f("[SKARM]\r\nUPDATE=3000000\r\n");
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.ti_UpdateBongs.interval(), std::numeric_limits<int>::max());
        QVERIFY(b.ti_UpdateBongs.isActive());
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
        QCOMPARE(b.lastId(), 7);
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
        QVERIFY(b.model().clock().isActive());
        QCOMPARE(tagOf(card.Panel), 1);
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
        // Nothing new: the health check, the count and the numbers of the open tickets.
        cycle(b);
        QCOMPARE(b.link.database().statementsSent(), before + 3);
        for (int i = 0; i < 3; ++i)
            f.add();
        cycle(b);
        QCOMPARE(b.MainList.size(), size_t(10));
        QCOMPARE(f.places(b.MainList).mid(7),
                 (QList<QPoint> {{454, top(2)}, {454, top(3)}, {681, top(1)}}));
        QCOMPARE(b.lastId(), 10);
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
        cycle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {{0, top(1)}, {0, top(2)}}));
    }

    // Without REPAINT a ticket finished on another board leaves at the next cycle, the cards
    // after it closing the gap, unless SYNKA says the board does not follow the others.
    void aTicketDoneElsewhere_data()
    {
        QTest::addColumn<QByteArray>("spisko");
        QTest::addColumn<QList<QString>>("ids");
        QTest::newRow("following") << QByteArray() << QList<QString> {u"1"_s, u"3"_s};
        QTest::newRow("not following")
            << QByteArray("[SKARM]\r\nSYNKA=N\r\n") << QList<QString> {u"1"_s, u"2"_s, u"3"_s};
    }

    void aTicketDoneElsewhere()
    {
        QFETCH(QByteArray, spisko);
        QFETCH(QList<QString>, ids);
        BoardFixture f(spisko);
        f.add();
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        const QList<QPoint> places = f.places(b.MainList);
        TQuery other(f.posDb);
        other.setLines({u"Update Tavlix Set Status = 1, "_s, u"Sekunder =20"_s, u"where ID=2"_s});
        other.execSql();
        cycle(b);
        QCOMPARE(f.ids(b.MainList), ids);
        QCOMPARE(f.places(b.MainList), places.mid(0, ids.size()));
        const int sent = b.link.database().statementsSent();
        cycle(b); // nothing more changed
        QCOMPARE(f.ids(b.MainList), ids);
        QCOMPARE(b.link.database().statementsSent(), sent + 3);
    }

    // A picture that cannot be shown still gets its card, one row high, in its place.
    void damagedPictureGetsAPlaceholderCard()
    {
        BoardFixture f;
        f.add();
        const QByteArray whole = BoardFixture::picture(300);
        f.addBytes(whole.left(200)); // truncated
        f.addBytes(QByteArray()); // empty
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
        QCOMPARE(f.places(b.MainList),
                 (QList<QPoint> {{0, top(1)}, {0, top(2)}, {0, top(3)}, {227, top(1)}}));
        QCOMPARE(b.lastId(), 4);
        QVERIFY(f.reports.isEmpty());
        const auto reasonOf = [&b](size_t i) {
            const auto *placeholder = qobject_cast<TicketPlaceholder *>(b.MainList[i]->Placeholder);
            return placeholder ? placeholder->reason() : QString();
        };
        QCOMPARE(reasonOf(0), QString());
        QCOMPARE(whole.size(), 21662); // the thousands set apart, as Swedish writes them
        QCOMPARE(reasonOf(1), u"avkortad: 200 av 21 662 byte"_s);
        QCOMPARE(reasonOf(2), u"tom"_s);
        QVERIFY(!b.MainList[1]->ImageBox);
        QCOMPARE(b.MainList[1]->Panel->height(), h);
        QCOMPARE(b.MainList[1]->FootPanel->findChild<TXiButton *>()->caption(), u"OK"_s);
        // The log names each ticket once.
        const QByteArray log = readBytes(f.install.filePath(u"tavlix.log"_s));
        QCOMPARE(log.count("\r\n"), 2);
        QVERIFY(log.contains("Bong 2 kunde inte visas: avkortad"));
        QVERIFY(log.contains("Bong 3 kunde inte visas: tom"));
        // Not read again: the idle cycle reads no picture.
        const int before = b.link.database().statementsSent();
        cycle(b);
        QCOMPARE(b.link.database().statementsSent(), before + 3);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
        // Rebuilt, the same tickets are not logged again.
        b.ReloadBongs();
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
        QCOMPARE(readBytes(f.install.filePath(u"tavlix.log"_s)), log);
    }

    // An open ticket at or below LastId that is not on the tab comes with the next cycle, placed
    // like a new ticket, and once.
    void missingTicketsBelowLastId_data()
    {
        QTest::addColumn<bool>("reopened");
        QTest::newRow("lower number committed late") << false;
        QTest::newRow("reopened on another board") << true;
    }

    void missingTicketsBelowLastId()
    {
        QFETCH(bool, reopened);
        BoardFixture f("[SKARM]\r\nNAMN=K\xf6k\r\n"); // Windows-1252
        const QDateTime now = QDateTime::currentDateTime();
        const int bar = f.pos->deviceNumber(u"Bar"_s);
        f.pos->insertTicket(f.kitchen, 0, std::nullopt, now, BoardFixture::picture(300), 1);
        if (reopened)
            f.pos->insertTicket(f.kitchen, 1, 40, now, BoardFixture::picture(300), 2);
        f.pos->insertTicket(f.kitchen, 0, std::nullopt, now, BoardFixture::picture(300), 4);
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s}));
        cycle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s}));

        f.pos->insertTicket(bar, 0, std::nullopt, now, BoardFixture::picture(300), 3);
        if (reopened) {
            QSqlQuery other(f.posDb.handle());
            QVERIFY(other.exec(u"UPDATE Tavlix SET Status = 0 WHERE ID = 2"_s));
        } else {
            f.pos->insertTicket(f.kitchen, 0, std::nullopt, now, BoardFixture::picture(300), 2);
        }
        cycle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s, u"2"_s}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {{0, top(1)}, {0, top(2)}, {0, top(3)}}));
        QCOMPARE(b.lastId(), 4);
        const int age = b.MainList[2]->Seconds; // a late commit's clock runs from its creation
        if (reopened)
            QCOMPARE(age, 40);
        else
            QVERIFY2(age >= 0 && age <= now.secsTo(QDateTime::currentDateTime()) + 1,
                     qPrintable(QString::number(age)));
        const int before = b.link.database().statementsSent();
        cycle(b);
        QCOMPARE(b.link.database().statementsSent(), before + 3);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s, u"2"_s}));
        // The check asks only for tickets the board does not know: an idle cycle reads no row.
        QVERIFY(f.statementsLogged().contains(
            u"And ((Status = 0 And ID not in (1, 2, 4)) Or (Status <> 0 And ID in (1, 2, 4)))"_s));
        QVERIFY(f.reports.isEmpty());
    }

    // Horizontal order: a damaged picture's card takes its cell; on a cell covered by a tall card
    // above, it first moves past that cell, as any card does.
    void damagedPictureInTheHorizontalOrder()
    {
        BoardFixture f("[SKARM]\r\nHORIZONTAL=J\r\n");
        const QByteArray damaged = BoardFixture::picture(300).left(200);
        f.add(); // (0, 1)
        f.add(1000); // (1, 1), 390 shown: covers (1, 2)
        f.addBytes(damaged); // (2, 1)
        f.add(); // (3, 1)
        f.add(); // (0, 2)
        f.addBytes(damaged); // (1, 2) is covered: (2, 2)
        f.add(); // (3, 2)
        f.add(); // (0, 3)
        TF_Mainform &b = f.start(QSize(22 + 4 * 230, 800)); // four columns
        QCOMPARE(f.ids(b.MainList),
                 (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s}));
        QCOMPARE(f.places(b.MainList),
                 (QList<QPoint> {{0, 0},
                                 {230, 0},
                                 {460, 0},
                                 {690, 0},
                                 {0, top(2)},
                                 {460, top(2)},
                                 {690, top(2)},
                                 {0, top(3)}}));
        QCOMPARE(b.MainList[5]->Col, 2);
        QCOMPARE(b.MainList[6]->Col, 3);
        QCOMPARE(b.layoutState.mainSlots, 9);
        QCOMPARE(b.layoutState.nextRow, 3);
        QCOMPARE(b.layoutState.nextCol, 1);
    }

    // A ticket is tall when the picture, at the scale its card shows it, is taller than a row.
    void tallnessComparesTheShownHeight_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("cardHeight");
        QTest::addColumn<int>("row");
        // 225 / 576 = 0.3906 rounds down to 39 %: 652 × 0.39 = 254.3 fits one row.
        QTest::newRow("rounded down") << QSize(576, 652) << 39 << 254 << h << 1;
        // 225 / 600 = 0.375 rounds to 38 %: 675 × 0.38 = 256.5 shows 256, taller than a row.
        QTest::newRow("rounded up") << QSize(600, 675) << 38 << 256 << 256 << 2;
    }

    void tallnessComparesTheShownHeight()
    {
        QFETCH(QSize, picture);
        QFETCH(int, scale);
        QFETCH(int, shown);
        QFETCH(int, cardHeight);
        QFETCH(int, row);
        BoardFixture f;
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::white);
        f.addBytes(bmpBytes(image, 1));
        f.add();
        TF_Mainform &b = f.start(boardSize);
        const TBoxInfo &card = *b.MainList[0];
        QCOMPARE(card.ImageBox->imageScale(), scale);
        QCOMPARE(card.ImageBox->Image()->height(), shown);
        QCOMPARE(card.Panel->height(), cardHeight);
        QCOMPARE(card.Row, row);
        QCOMPARE(b.MainList[1]->Panel->pos(), QPoint(0, top(row + 1)));
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
        cycle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        // No box waits for a press: the status line and the log tell.
        QVERIFY(f.reports.isEmpty());
        QCOMPARE(b.pa_Status->caption(), u"Fel vid läsning av bongar"_s);
        const QByteArray log = readBytes(f.install.filePath(u"tavlix.log"_s));
        QVERIFY2(log.contains("malformed JSON"), log.constData());
        QVERIFY(b.sb_Main->isVisible());
        QVERIFY(b.ti_UpdateBongs.isActive());
        QCOMPARE(b.lastId(), 2);
        cycle(b); // the same failure is not logged again
        QCOMPARE(readBytes(f.install.filePath(u"tavlix.log"_s)), log);
        // The table mended: the next cycle recovers by itself, and the status line says so.
        QVERIFY(sql.exec(u"DROP VIEW Tavlix"_s));
        QVERIFY(sql.exec(u"ALTER TABLE TavlixData RENAME TO Tavlix"_s));
        cycle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
        QVERIFY(f.reports.isEmpty());
    }

    void tallTicketsInTheVerticalOrder()
    {
        BoardFixture f;
        // Shown at 39 %: 1000 → 390 (1.5 rows), 300 → 117, 2000 → 780 (3 rows).
        f.add(1000);
        f.add(300);
        f.add(2000);
        f.add(2000);
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.MainList[0]->Panel->height(), 390);
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
        f.add(300, 0, 995);
        f.add(300, 0, 59);
        TF_Mainform &b = f.start(boardSize);
        TBoxInfo &late = *b.MainList[0];
        const QColor yellow(0xE9, 0xE1, 0x58), red(0xED, 0x9C, 0x9A), green(0x7C, 0xD5, 0x6C);
        b.model().clock().stop(); // only the ticks of the test
        QCOMPARE(late.Seconds, 995);
        QCOMPARE(late.FootPanel->color(), yellow);
        for (int tick = 1; tick <= 6; ++tick) {
            b.model().tick();
            QCOMPARE(late.FootPanel->color(), tick < 6 ? yellow : red);
        }
        QCOMPARE(late.Seconds, 1001);
        QCOMPARE(late.ClockPanel->caption(), u"00:16"_s);
        QCOMPARE(late.ClockPanel->color(), yellow); // the build colour stays

        TBoxInfo &young = *b.MainList[1];
        QCOMPARE(young.Seconds, 65);
        QCOMPARE(young.ClockPanel->caption(), u"00:01"_s);
        QCOMPARE(young.FootPanel->color(), green);
        // One clock for every card: a card removed from the view counts on no other card.
        b.discardCard(b.MainList, 0);
        b.model().tick();
        QCOMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(young.Seconds, 66);
        QCOMPARE(young.FootPanel->color(), green);
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
        showTab(b, 1);
        QCOMPARE(f.ids(b.ReadyList), (QList<QString> {u"1"_s, u"3"_s}));
        const TBoxInfo &done = *b.ReadyList.front();
        QCOMPARE(done.ClockPanel->caption(), u"00:12"_s);
        QCOMPARE(done.FootPanel->color(), QColor(0xE9, 0xE1, 0x58));
        QCOMPARE(done.ClockPanel->color(), QColor(0xE9, 0xE1, 0x58));
        QCOMPARE(done.FootPanel->findChild<TXiButton *>()->caption(), u"X"_s);
        QCOMPARE(b.lastId(), 2); // the done tab does not move it
        // Selecting it again builds it again, as the table is now.
        f.add(300, 1, 5);
        showTab(b, 0);
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(3));
    }

    // A black-and-white ticket costs a card no more at 8, 24 or 32 bits than at 1 bit, and the
    // card, open or done, and its preview hold exactly the decoded pixels and know the form they
    // were decoded in.
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
        const QImage decoded = QImage::fromData(bytes, "BMP");
        const qint64 oneBit = TicketPicture::load(bmpBytes(printed, 1)).image.sizeInBytes();
        BoardFixture f;
        f.addBytes(bytes);
        f.pos->insertTicket(f.kitchen, 1, 60, QDateTime::currentDateTime(), bytes);
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        QCOMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(b.ReadyList.size(), size_t(1));
        for (const CardList *list : {&b.MainList, &b.ReadyList}) {
            const QImage copy = list->front()->ImageBox->Image()->picture().image();
            QVERIFY2(copy.sizeInBytes() <= oneBit * 3 / 2,
                     qPrintable(u"%1 bytes"_s.arg(copy.sizeInBytes())));
            QCOMPARE(copy.convertToFormat(QImage::Format_ARGB32),
                     decoded.convertToFormat(QImage::Format_ARGB32));
            QCOMPARE(list->front()->ImageBox->Image()->picture().decodedFormat(), decoded.format());
        }
        showTab(b, 0);
        const TBoxInfo &card = *b.MainList.front();
        QTest::mouseClick(card.ImageBox->Image(), Qt::LeftButton, {}, QPoint(30, 30));
        const auto previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews[0]->Bild->Image()->picture().image().cacheKey(),
                 card.ImageBox->Image()->picture().image().cacheKey()); // shared, not copied
        QCOMPARE(previews[0]->Bild->Image()->picture().decodedFormat(), decoded.format());
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
