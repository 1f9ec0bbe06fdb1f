#include "BoardFixture.h"
#include "board/CardLayout.h"
#include "board/PageColumn.h"
#include "board/TicketPlaceholder.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

const QSize boardSize(1200, 800);

TXiButton *buttonOf(const TBoxInfo &record)
{
    return record.FootPanel->findChild<TXiButton *>();
}

void press(const TBoxInfo &record)
{
    QTest::mouseClick(buttonOf(record), Qt::LeftButton, {}, QPoint(17, 15));
}

// Whether a card's button can be seen and pressed: inside the visible part of its tab and the
// topmost control at its centre.
void verifyButtonInReach(TF_Mainform &b, CardArea *area, const TBoxInfo &record)
{
    TXiButton *button = buttonOf(record);
    QWidget *view = area->viewport();
    const QRect inView(button->mapTo(view, QPoint(0, 0)), button->size());
    QVERIFY2(
        view->rect().contains(inView),
        qPrintable(u"card %1: button at %2,%3"_s.arg(record.Id).arg(inView.x()).arg(inView.y())));
    QCOMPARE(b.childAt(button->mapTo(&b, button->rect().center())), button);
}

// A board showing "Klara" with count done tickets, each 100 seconds old.
TF_Mainform &showDone(BoardFixture &f, int count)
{
    for (int i = 0; i < count; ++i)
        f.add(300, 1, 100);
    TF_Mainform &b = f.start(boardSize);
    showTab(b, 1);
    b.sb_Ready->setHorzPosition(0); // from the first card on; the tab opens at the newest
    return b;
}

QVariantList row(TDatabase &db, int id)
{
    QSqlQuery q(db.handle());
    q.exec(u"SELECT Status, Sekunder FROM Tavlix WHERE ID = %1"_s.arg(id));
    q.next();
    return {q.value(0), q.value(1)};
}

} // namespace

class TestActions : public QObject
{
    Q_OBJECT

private slots:
    void okOnTheSecondOfFour()
    {
        BoardFixture f;
        for (int i = 0; i < 4; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        const QList<QPoint> before = f.places(b.MainList);
        setAge(b, 1, 321);
        press(*b.MainList[1]);
        QCOMPARE(b.MainList.size(), size_t(4)); // the press itself changes nothing
        QTRY_COMPARE(b.MainList.size(), size_t(3));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s, u"4"_s}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {before[0], before[1], before[2]}));
        QCOMPARE(b.MainList[2]->Left, before[2].x());
        QCOMPARE(b.MainList[2]->Top, before[2].y());
        QCOMPARE(row(f.posDb, 2), (QVariantList {1, 321}));
        QCOMPARE(row(f.posDb, 3).first(), 0);
        QCOMPARE(b.layoutState.mainSlots, 3);
        QVERIFY(b.sb_Main->isVisible());
        // The next ticket takes the place the last card left.
        f.add();
        cycle(b);
        QCOMPARE(b.MainList.back()->Panel->pos(), before[3]);
    }

    // The rows share an area whose height three does not divide: the bottom row is lower. A
    // card that closes a gap takes the height of its new row, so that none stops short of its
    // slot or runs past the area; a tall card keeps its span.
    void closedGapRefitsHeights_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("tallAt"); // in an upper row, spanning two
        // Vertical: the third card leaves the bottom row, the fourth moves into it.
        QTest::newRow("vertical") << false << 5 << 4;
        // Horizontal, five columns: the eleventh card leaves the bottom row.
        QTest::newRow("horizontal") << true << 12 << 6;
    }

    void closedGapRefitsHeights()
    {
        QFETCH(bool, horizontal);
        QFETCH(int, cards);
        QFETCH(int, tallAt);
        BoardFixture f(horizontal ? "[SKARM]\r\nHORIZONTAL=J\r\n" : QByteArray());
        for (int i = 0; i < cards; ++i)
            f.add(i == tallAt ? 1000 : 300);
        TF_Mainform &b = f.start(QSize(1200, 798));
        const int area = b.sb_Main->cardsHeight();
        const int h = CardLayout::rowHeight(area, 3);
        const int bottom = area - CardLayout::rowTop(3, h);
        QVERIFY2(bottom != h, "the bottom row must differ for this test");
        const auto expected = [&](const TBoxInfo &card) {
            if (card.Span.extraRows > 0)
                return std::min(card.Span.height, area - card.Top);
            return card.Top == CardLayout::rowTop(3, h) ? bottom : h;
        };
        const TBoxInfo &tall = *b.MainList[size_t(tallAt)];
        const int tallHeight = tall.Panel->height();
        QVERIFY(tallHeight > h);
        QCOMPARE(tall.Span.extraRows, 1);
        press(*b.MainList.front());
        QVERIFY(settle(b));
        for (const auto &card : b.MainList) {
            QCOMPARE(card->Panel->height(), expected(*card));
            QCOMPARE(card->FootPanel->geometry().bottom(), card->Panel->height() - 1);
            QCOMPARE(card->ImageBox->height(), card->Panel->height() - card->FootPanel->height());
            QVERIFY(card->Top + card->Panel->height() <= area);
        }
        QCOMPARE(tall.Panel->height(), tallHeight); // moved up a place, over its two rows
    }

    // A ticket whose picture cannot be shown has a card like any other: one row high, with its
    // reason, its clock and its button, in both orders; "OK" and "X" work on it.
    void placeholderCards_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<QByteArray>("bong");
        QTest::addColumn<QString>("reason");
        const QByteArray whole = BoardFixture::picture(300);
        QByteArray huge = whole;
        qToLittleEndian<qint32>(9000, huge.data() + 18); // wider than any ticket printer
        for (const bool horizontal : {false, true}) {
            const char *order = horizontal ? "horizontal" : "vertical";
            QTest::addRow("cut short, %s", order)
                << horizontal << whole.left(4096) << u"avkortad: 4 096 av 21 662 byte"_s;
            QTest::addRow("not a bitmap, %s", order)
                << horizontal << QByteArray("GIF89a\x01\x00\x01\x00") << u"inte en bild"_s;
            QTest::addRow("oversized, %s", order) << horizontal << huge << u"för stor"_s;
            QTest::addRow("empty, %s", order) << horizontal << QByteArray() << u"tom"_s;
        }
    }

    void placeholderCards()
    {
        QFETCH(bool, horizontal);
        QFETCH(QByteArray, bong);
        QFETCH(QString, reason);
        BoardFixture f(horizontal ? "[SKARM]\r\nHORIZONTAL=J\r\n" : QByteArray());
        f.add();
        const int bad = f.addBytes(bong);
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.MainList.size(), size_t(3));
        const TBoxInfo &card = *b.MainList[1];
        auto *placeholder = qobject_cast<TicketPlaceholder *>(card.Placeholder);
        QVERIFY(placeholder);
        QCOMPARE(placeholder->reason(), reason);
        QCOMPARE(card.Panel->width(), b.pa_Mall->width());
        QCOMPARE(card.Panel->height(), CardLayout::rowHeight(b.sb_Main->cardsHeight(), 3));
        QCOMPARE(placeholder->geometry(), QRect(0, 0, card.Panel->width(), card.FootPanel->y()));
        b.model().tick();
        QCOMPARE(card.ClockPanel->caption(), u"00:00"_s);
        // A touch on it opens nothing; "OK" finishes it.
        QTest::mouseClick(placeholder, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(b.findChildren<TF_BildPreview *>().size(), 0);
        press(card);
        QVERIFY(settle(b));
        QCOMPARE(row(f.posDb, bad).first(), 1);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s}));
        // On "Klara" too, and its "X" brings it back.
        showTab(b, 1);
        QCOMPARE(f.ids(b.ReadyList), QList<QString> {QString::number(bad)});
        QVERIFY(b.ReadyList[0]->Placeholder);
        QCOMPARE(b.ReadyList[0]->FootPanel->findChild<TXiButton *>()->caption(), u"X"_s);
        press(*b.ReadyList[0]);
        QVERIFY(settle(b));
        QCOMPARE(row(f.posDb, bad).first(), 0);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        QVERIFY(f.reports.isEmpty());
    }

    void okOnTheOnlyCard()
    {
        BoardFixture f;
        f.add();
        f.add();
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        for (int i = 0; i < 4; ++i) {
            press(*b.MainList.back());
            QTRY_COMPARE(b.MainList.size(), size_t(3 - i));
        }
        QCOMPARE(b.layoutState.nextRow, 1);
        QCOMPARE(b.layoutState.nextCol, 0);
        f.add();
        cycle(b);
        QCOMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(b.MainList.front()->Panel->pos(), QPoint(0, 0));
    }

    void twoPressesWithinFiftyMilliseconds()
    {
        BoardFixture f;
        f.add();
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        b.model().clock().stop();
        press(*b.MainList[0]);
        press(*b.MainList[1]); // every press is kept
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"3"_s}));
        QCOMPARE(row(f.posDb, 1).first(), 1);
        QCOMPARE(row(f.posDb, 2).first(), 1);

        const int sent = b.link.database().statementsSent();
        press(*b.MainList[0]);
        press(*b.MainList[0]); // the same card twice: done once
        QVERIFY(settle(b));
        QCOMPARE(b.MainList.size(), size_t(0));
        QCOMPARE(b.link.database().statementsSent(), sent + 1);
        QCOMPARE(row(f.posDb, 3).first(), 1);
    }

    void recallADoneTicket()
    {
        BoardFixture f;
        f.add();
        f.add(300, 1, 754);
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s}));
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(1));
        press(*b.ReadyList.front());
        QVERIFY(settle(b));
        QCOMPARE(b.ReadyList.size(), size_t(0));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(row(f.posDb, 2), (QVariantList {0, 754}));
        TBoxInfo &back = *b.MainList[1];
        b.model().clock().stop();
        QCOMPARE(back.Seconds, 754);
        b.model().tick();
        QCOMPARE(back.ClockPanel->caption(), u"00:12"_s);
        QCOMPARE(back.Seconds, 755);
    }

    // A tall card covers only its own rows and stays inside the area, so that no other card and
    // no edge hides its "OK" button.
    void tallCardsKeepTheirButtonInReach_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("rader");
        QTest::addColumn<int>("inView"); // cards in the visible columns and rows
        QTest::newRow("vertical, 3 rows") << false << 3 << 12;
        QTest::newRow("vertical, 4 rows") << false << 4 << 15;
        QTest::newRow("horizontal, 3 rows") << true << 3 << 11;
        QTest::newRow("horizontal, 4 rows") << true << 4 << 15;
    }

    void tallCardsKeepTheirButtonInReach()
    {
        QFETCH(bool, horizontal);
        QFETCH(int, rader);
        QFETCH(int, inView);
        BoardFixture f(u"[SKARM]\r\nRADER=%1\r\nHORIZONTAL=%2\r\n"_s.arg(rader)
                           .arg(horizontal ? u"J"_s : u"N"_s)
                           .toLatin1());
        f.add(8000); // many rows high
        f.add();
        f.add(3000); // 1170 shown: more than four rows of 254 or 191
        for (int i = 0; i < 13; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        QWidget *view = b.sb_Main->viewport();
        int checked = 0;
        for (const auto &record : b.MainList) {
            const QRect card = record->Panel->geometry();
            if (card.right() >= view->width() || card.top() >= view->height())
                continue; // beyond the visible columns and rows by design
            verifyButtonInReach(b, b.sb_Main, *record);
            if (QTest::currentTestFailed())
                return;
            ++checked;
        }
        QCOMPARE(checked, inView);
        QVERIFY(b.MainList[0]->Panel->height() > 2 * b.MainList[1]->Panel->height());
        for (const int id : {3, 1}) {
            const int found = TF_Mainform::FindCard(b.MainList, id);
            QVERIFY(found >= 0);
            const TBoxInfo &record = *b.MainList[size_t(found)];
            verifyButtonInReach(b, b.sb_Main, record);
            if (QTest::currentTestFailed())
                return;
            // Pressed where the cook sees it: on whatever stands there.
            const QPoint centre = buttonOf(record)->mapTo(&b, QPoint(17, 15));
            QWidget *target = b.childAt(centre);
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&b, centre));
            QTRY_COMPARE(row(f.posDb, id).first(), 1);
            QVERIFY(settle(b));
        }
        QCOMPARE(b.MainList.size(), size_t(14));
    }

    void xOnTheSecondOfFourDoneCards()
    {
        BoardFixture f;
        for (int i = 0; i < 4; ++i)
            f.add(300, 1, 100 + i);
        f.add(); // ticket 5, open
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(4));
        const QList<QPoint> before = f.places(b.ReadyList);
        press(*b.ReadyList[1]);
        QTRY_COMPARE(b.ReadyList.size(), size_t(3));
        QCOMPARE(f.ids(b.ReadyList), (QList<QString> {u"1"_s, u"3"_s, u"4"_s}));
        // The gap closes: cards 3 and 4 take the places of cards 2 and 3.
        QCOMPARE(f.places(b.ReadyList), (QList<QPoint> {before[0], before[1], before[2]}));
        for (size_t i = 0; i < 3; ++i) {
            QCOMPARE(b.ReadyList[i]->Left, before[qsizetype(i)].x());
            QCOMPARE(b.ReadyList[i]->Top, before[qsizetype(i)].y());
        }
        QVERIFY(b.sb_Ready->isVisible());
        QCOMPARE(row(f.posDb, 2), (QVariantList {0, 101}));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"2"_s, u"5"_s}));
    }

    // More done cards than the tab shows side by side: the scroll bar that appears under them
    // leaves every footer of the bottom row in view.
    void doneCardsAboveTheScrollBar()
    {
        BoardFixture f;
        TF_Mainform &b = showDone(f, 20);
        QTRY_VERIFY(b.sb_Ready->horizontalScrollBar()->isVisible());
        QWidget *view = b.sb_Ready->viewport();
        int checked = 0;
        for (const auto &record : b.ReadyList) {
            if (record->Panel->geometry().right() >= view->width())
                continue; // scrolled to
            verifyButtonInReach(b, b.sb_Ready, *record);
            if (QTest::currentTestFailed())
                return;
            ++checked;
        }
        QCOMPARE(checked, 15);
        const TBoxInfo &bottom = *b.ReadyList[2];
        const QPoint centre = buttonOf(bottom)->mapTo(&b, QPoint(17, 15));
        QWidget *target = b.childAt(centre);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&b, centre));
        QTRY_COMPARE(row(f.posDb, 3).first(), 0);
    }

    // A day of done tickets: only the cards at or near the view are shown, so that a scroll step
    // does not walk thousands of shown cards; every card a scroll or a closed gap brings into the
    // view is shown and can be pressed.
    void cardsAwayFromTheViewWaitHidden()
    {
        BoardFixture f;
        TF_Mainform &b = showDone(f, 60);
        QCOMPARE(b.ReadyList.size(), size_t(60));
        CardArea *area = b.sb_Ready;
        const auto verifyShownInView = [&] {
            const QRect view(-area->canvas()->pos(), area->viewport()->size());
            int hidden = 0;
            for (const auto &record : b.ReadyList) {
                if (view.intersects(record->Panel->geometry()))
                    QVERIFY2(record->Panel->isVisible(), qPrintable(record->Id));
                hidden += record->Panel->isHidden() ? 1 : 0;
            }
            QVERIFY(hidden > 0);
        };
        verifyShownInView();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(b.ReadyList.back()->Panel->isHidden());

        area->setHorzPosition(area->horizontalScrollBar()->maximum());
        verifyShownInView();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(b.ReadyList.front()->Panel->isHidden());
        const TBoxInfo &last = *b.ReadyList.back();
        verifyButtonInReach(b, area, last);
        if (QTest::currentTestFailed())
            return;

        // X on the first card: the cards after it move back a place and the view stays filled.
        area->setHorzPosition(0);
        press(*b.ReadyList[0]);
        QTRY_COMPARE(b.ReadyList.size(), size_t(59));
        verifyShownInView();
    }

    // The card of a scheduled action is gone when its timer fires (its tab was rebuilt in the
    // meantime): nothing happens, and the tab is shown again.
    void actionWithoutItsCard()
    {
        BoardFixture f("[SKARM]\r\nREPAINT=J\r\n");
        f.add();
        f.add();
        f.add();
        f.add(300, 1, 754);
        f.add(300, 1, 30);
        TF_Mainform &b = f.start(boardSize);
        TQuery other(f.posDb); // another board finishes ticket 2, a third reopens ticket 4
        other.setLines({u"Update Tavlix Set Status = 1, "_s, u"Sekunder =20"_s, u"where ID=2"_s});

        press(*b.MainList[1]); // "OK" on ticket 2
        other.execSql();
        cycle(b); // rebuilt before the press takes effect
        const QList<QPoint> open = f.places(b.MainList);
        const int sent = b.link.database().statementsSent();
        QTRY_VERIFY(!b.ti_ReArrange.isActive());
        settle(b);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s}));
        QCOMPARE(f.places(b.MainList), open);
        QCOMPARE(b.layoutState.mainSlots, 2);
        QCOMPARE(b.link.database().statementsSent(), sent);
        QCOMPARE(row(f.posDb, 2), (QVariantList {1, 20}));
        QVERIFY(b.sb_Main->isVisible());

        showTab(b, 1);
        const QPointer<TPanel> first = b.ReadyList[0]->Panel;
        press(*b.ReadyList[1]); // "X" on ticket 4
        other.setLines({u"Update Tavlix Set Status = 0 "_s, u"where ID=4"_s});
        other.execSql();
        showTab(b, 0);
        showTab(b, 1); // "Klara" built anew
        QVERIFY(first.isNull());
        const QList<QPoint> done = f.places(b.ReadyList);
        const QPointer<TPanel> openCard = b.MainList[0]->Panel;
        const int sentThen = b.link.database().statementsSent();
        QTRY_VERIFY(!b.ti_ReArrangeReady.isActive());
        settle(b);
        QCOMPARE(f.ids(b.ReadyList), (QList<QString> {u"2"_s, u"5"_s}));
        QCOMPARE(f.places(b.ReadyList), done);
        QVERIFY(!openCard.isNull()); // "Pågående" not rebuilt
        QCOMPARE(b.link.database().statementsSent(), sentThen);
        QVERIFY(b.sb_Ready->isVisible());
        QCOMPARE(row(f.posDb, 2), (QVariantList {1, 20}));
        QVERIFY(f.reports.isEmpty());
    }

    void failingUpdateLosesNothing()
    {
        BoardFixture f;
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        b.link.database().close(); // the connection is gone when the cook presses
        press(*b.MainList[0]);
        QTRY_COMPARE(f.reports.size(), 1);
        QVERIFY(f.reports.first().startsWith(u"Tavlix|"_s));
        QCOMPARE(b.MainList.size(), size_t(2));
        QVERIFY(b.MainList[0]->Panel->isVisible());
        QVERIFY(b.sb_Main->isVisible());
        QCOMPARE(row(f.posDb, 1).first(), 0);
        // The next cycle reconnects; the card can be finished then.
        cycle(b);
        press(*b.MainList[0]);
        QTRY_COMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(row(f.posDb, 1).first(), 1);
    }

    void touchingAPictureTwiceOpensTwoPreviews()
    {
        BoardFixture f;
        f.add(300, 0, std::nullopt, 600);
        TF_Mainform &b = f.start(boardSize);
        TPixImage *picture = b.MainList[0]->ImageBox->Image();
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(30, 30));
        const QList<TF_BildPreview *> previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 2);
        for (TF_BildPreview *p : previews) {
            QVERIFY(p->isVisible());
            QVERIFY(p->ti_Sekunder.isActive());
            QCOMPARE(p->pa_Botten->color(), b.MainList[0]->FootPanel->color());
            QCOMPARE(p->pa_MallKlocka->caption(), u"02:01"_s);
        }
        previews[0]->ti_SekunderTimer();
        QCOMPARE(previews[0]->age(), previews[1]->age() + 1);
        // Finishing the ticket leaves its previews open and counting.
        press(*b.MainList[0]);
        QTRY_COMPARE(b.MainList.size(), size_t(0));
        QVERIFY(previews[1]->isVisible());
        QVERIFY(previews[1]->ti_Sekunder.isActive());
        previews[0]->close();
        QTRY_COMPARE(b.findChildren<TF_BildPreview *>().size(), 1);
    }

    void doneTicketPreview()
    {
        BoardFixture f;
        f.add(300, 1, 754);
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        QTest::mouseClick(b.ReadyList[0]->ImageBox->Image(), Qt::LeftButton, {}, QPoint(30, 30));
        const auto previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews[0]->pa_Botten->color(), QColor(Qt::black));
        QCOMPARE(previews[0]->pa_MallKlocka->caption(), u"02:01"_s);
        QVERIFY(!previews[0]->ti_Sekunder.isActive());
    }

    void settingsButtonListsTheDevices()
    {
        BoardFixture f("[SKARM]\r\nNAMN=Finns inte\r\n");
        f.pos->deviceNumber(u"Grill"_s);
        f.pos->deviceNumber(u"Bar"_s);
        TF_Mainform &b = f.start(boardSize);
        TF_Installningar *w = openSettings(b);
        QVERIFY(w);
        QStringList items;
        for (int i = 0; i < w->co_BongUtskrift->count(); ++i)
            items.append(w->co_BongUtskrift->itemText(i));
        QCOMPARE(items, (QStringList {u"Alla"_s, u"Bar"_s, u"Grill"_s, u"Kök"_s}));
        QCOMPARE(w->co_BongUtskrift->currentText(), u"Finns inte"_s);
        // The board goes on following the table behind it.
        const int sent = b.link.database().statementsSent();
        cycle(b);
        QVERIFY(b.link.database().statementsSent() > sent);
        w->reject();
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void settingsButtonWithoutDatabase()
    {
        BoardFixture f;
        TF_Mainform &b = f.start(boardSize);
        b.link.database().close();
        QTest::mouseClick(b.bu_Installningar, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(settle(b));
        QCOMPARE(f.reports.size(), 1); // reported, and the window is not shown
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestActions)
#include "tst_actions.moc"
