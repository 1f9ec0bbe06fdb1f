// The board worked from a keyboard or bump bar: real key events on the board window, checked
// against the cards, the ticket table and the previews.
#include "BoardFixture.h"
#include "board/BumpBar.h"
#include "board/CardFrame.h"
#include "board/PageColumn.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

#include <QApplication>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTabBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QSize boardSize(1200, 800);

QVariantList row(TDatabase &db, int id)
{
    QSqlQuery q(db.handle());
    q.exec(u"SELECT Status, Sekunder FROM Tavlix WHERE ID = %1"_s.arg(id));
    q.next();
    return {q.value(0), q.value(1)};
}

BumpBar &bumpBar(TF_Mainform &b)
{
    return *b.findChild<BumpBar *>();
}

// The ticket number of the selected card; 0 when none is selected.
int selectedNumber(TF_Mainform &b)
{
    const TBoxInfo *record = bumpBar(b).selected();
    return record ? record->Number : 0;
}

int framesOn(const CardList &list)
{
    int frames = 0;
    for (const auto &record : list)
        frames += int(record->Panel->findChildren<CardFrame *>().size());
    return frames;
}

void key(TF_Mainform &b, Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(&b, k, modifiers);
    settle(b); // what the key started has reached the table
}

} // namespace

class TestBumpBar : public QObject
{
    Q_OBJECT

private slots:
    void digitsSelectTheCardAtTheirPlace_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<Qt::Key>("digit");
        QTest::addColumn<int>("number");
        // Five columns of three rows are in view; the sixth column stands beyond the right edge.
        QTest::newRow("vertical 1") << QByteArray() << Qt::Key_1 << 1;
        QTest::newRow("vertical 4") << QByteArray() << Qt::Key_4 << 4;
        QTest::newRow("vertical 9") << QByteArray() << Qt::Key_9 << 9;
        QTest::newRow("horizontal 7")
            << QByteArray("[SKARM]\r\nHORIZONTAL=J\r\n") << Qt::Key_7 << 7;
    }

    void digitsSelectTheCardAtTheirPlace()
    {
        QFETCH(QByteArray, settings);
        QFETCH(Qt::Key, digit);
        QFETCH(int, number);
        BoardFixture f(settings);
        for (int i = 0; i < 18; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        // Worked by touch only, the board shows no selection.
        QCOMPARE(framesOn(b.MainList), 0);
        QCOMPARE(selectedNumber(b), 0);

        key(b, digit);
        QCOMPARE(selectedNumber(b), number);
        const TBoxInfo &record = *b.MainList[size_t(number - 1)];
        CardFrame *frame = bumpBar(b).selectionFrame();
        QVERIFY(frame);
        QCOMPARE(frame->parentWidget(), record.Panel);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(0, 0, 225, record.FootPanel->y()));
        QCOMPARE(framesOn(b.MainList), 1);
        // Keys change nothing in the table.
        for (int id = 1; id <= 18; ++id)
            QCOMPARE(row(f.posDb, id).first(), 0);
    }

    void digitsCountOnlyTheCardsInView()
    {
        BoardFixture f;
        for (int i = 0; i < 12; ++i)
            f.add(300, 1, 60);
        // Three columns of "Klara" are in view, the fourth is reached by scrolling.
        TF_Mainform &b = f.start(QSize(700, 800));
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(12));
        b.sb_Ready->setHorzPosition(0); // it opens at the newest
        key(b, Qt::Key_9);
        QCOMPARE(selectedNumber(b), 9);
        b.sb_Ready->setHorzPosition(227);
        key(b, Qt::Key_1);
        QCOMPARE(selectedNumber(b), 4);
        key(b, Qt::Key_9);
        QCOMPARE(selectedNumber(b), 12);
        key(b, Qt::Key_8);
        QCOMPARE(selectedNumber(b), 11);
        // The arrows reach what can be scrolled to, and scroll it into view.
        b.sb_Ready->setHorzPosition(0);
        key(b, Qt::Key_Right);
        QCOMPARE(selectedNumber(b), 11); // already the last column
        key(b, Qt::Key_1);
        QCOMPARE(selectedNumber(b), 1);
        for (int i = 0; i < 3; ++i)
            key(b, Qt::Key_Right);
        QCOMPARE(selectedNumber(b), 10);
        QVERIFY(b.sb_Ready->horzPosition() > 0);
    }

    void arrowsMoveTheSelection()
    {
        BoardFixture f;
        for (int i = 0; i < 6; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        // Vertical order: tickets 1 to 3 in the first column, 4 to 6 in the second.
        key(b, Qt::Key_Down); // the first key selects the first card
        QCOMPARE(selectedNumber(b), 1);
        const QList<std::pair<Qt::Key, int>> steps {
            {Qt::Key_Down, 2}, {Qt::Key_Right, 5}, {Qt::Key_Down, 6}, {Qt::Key_Down, 6},
            {Qt::Key_Up, 5},   {Qt::Key_Left, 2},  {Qt::Key_Left, 2}, {Qt::Key_Up, 1}};
        for (const auto &[k, number] : steps) {
            key(b, k);
            QCOMPARE(selectedNumber(b), number);
        }
        QCOMPARE(framesOn(b.MainList), 1);
        key(b, Qt::Key_Escape);
        QCOMPARE(selectedNumber(b), 0);
        QCOMPARE(framesOn(b.MainList), 0);
    }

    void enterAndSpaceFinishTheSelectedTicket()
    {
        BoardFixture f;
        for (int i = 0; i < 4; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        const QList<QPoint> before = f.places(b.MainList);
        key(b, Qt::Key_2);
        setAge(b, 1, 321);
        key(b, Qt::Key_Return);
        QTRY_COMPARE(b.MainList.size(), size_t(3));
        QCOMPARE(row(f.posDb, 2), (QVariantList {1, 321}));
        QCOMPARE(f.places(b.MainList), (QList<QPoint> {before[0], before[1], before[2]}));
        // The card that took the place is selected, so the next key finishes it.
        QTRY_COMPARE(selectedNumber(b), 3);
        QCOMPARE(bumpBar(b).selectionFrame()->parentWidget(), b.MainList[1]->Panel);
        key(b, Qt::Key_Space);
        QTRY_COMPARE(b.MainList.size(), size_t(2));
        QCOMPARE(row(f.posDb, 3).first(), 1);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"4"_s}));
        key(b, Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_COMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(row(f.posDb, 4).first(), 1);
        // The last card went: the selection goes to the one before it.
        QTRY_COMPARE(selectedNumber(b), 1);
        key(b, Qt::Key_Return);
        QTRY_COMPARE(b.MainList.size(), size_t(0));
        QTRY_COMPARE(selectedNumber(b), 0);
        key(b, Qt::Key_Return); // nothing selected: nothing happens
        QTest::qWait(100);
        QCOMPARE(row(f.posDb, 1).first(), 1);
    }

    void enterOnKlaraSendsTheTicketBack()
    {
        BoardFixture f;
        f.add();
        f.add(300, 1, 754);
        f.add(300, 1, 60);
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        key(b, Qt::Key_1);
        QCOMPARE(selectedNumber(b), 2);
        key(b, Qt::Key_Return);
        QTRY_COMPARE(b.ReadyList.size(), size_t(1));
        QCOMPARE(row(f.posDb, 2), (QVariantList {0, 754}));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QCOMPARE(b.MainList[1]->Seconds, 754);
        QTRY_COMPARE(selectedNumber(b), 3);
    }

    void recallBringsBackWhatThisBoardFinishedLast()
    {
        BoardFixture f;
        for (int i = 0; i < 3; ++i)
            f.add();
        f.add(300, 1, 999); // finished elsewhere: never recalled here
        TF_Mainform &b = f.start(boardSize);
        key(b, Qt::Key_1);
        setAge(b, 0, 100);
        key(b, Qt::Key_Return);
        QTRY_COMPARE(b.MainList.size(), size_t(2));
        // A touch on OK counts as well.
        setAge(b, 0, 200);
        QTest::mouseClick(b.MainList[0]->FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                          QPoint(17, 15));
        QTRY_COMPARE(b.MainList.size(), size_t(1));
        QCOMPARE(row(f.posDb, 2), (QVariantList {1, 200}));

        key(b, Qt::Key_Backspace);
        QCOMPARE(row(f.posDb, 2), (QVariantList {0, 200}));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"2"_s, u"3"_s}));
        QCOMPARE(b.MainList[0]->Seconds, 200);
        QTRY_COMPARE(selectedNumber(b), 2);
        key(b, Qt::Key_R);
        QCOMPARE(row(f.posDb, 1), (QVariantList {0, 100}));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        const int sent = b.link.database().statementsSent();
        key(b, Qt::Key_R); // nothing left to bring back
        QCOMPARE(b.link.database().statementsSent(), sent);
        QCOMPARE(row(f.posDb, 4), (QVariantList {1, 999}));
    }

    // Two recalls in a row, the second before the first has reached the table: both tickets
    // come back, neither press takes the place of the other.
    void twoRecallsBringBackTwoTickets()
    {
        BoardFixture f;
        for (int i = 0; i < 3; ++i)
            f.add();
        TF_Mainform &b = f.start(boardSize);
        key(b, Qt::Key_1);
        key(b, Qt::Key_Return);
        key(b, Qt::Key_1);
        key(b, Qt::Key_Return);
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"3"_s});
        showTab(b, 1);
        QCOMPARE(f.ids(b.ReadyList), (QList<QString> {u"1"_s, u"2"_s}));
        QTest::keyClick(&b, Qt::Key_R);
        QTest::keyClick(&b, Qt::Key_R);
        QVERIFY(settle(b));
        QCOMPARE(b.ReadyList.size(), size_t(0));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(row(f.posDb, 1).first(), 0);
        QCOMPARE(row(f.posDb, 2).first(), 0);
    }

    void recallTakesTheCardFromKlara()
    {
        BoardFixture f;
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        key(b, Qt::Key_2);
        key(b, Qt::Key_Return);
        QTRY_COMPARE(b.MainList.size(), size_t(1));
        showTab(b, 1);
        QCOMPARE(f.ids(b.ReadyList), QList<QString> {u"2"_s});
        key(b, Qt::Key_Backspace);
        QTRY_COMPARE(b.ReadyList.size(), size_t(0));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QCOMPARE(row(f.posDb, 2).first(), 0);
    }

    void previewKeyOpensTheSelectedCardsPreview()
    {
        BoardFixture f;
        f.add(300, 0, std::nullopt, 600);
        f.add(300, 1, 754);
        TF_Mainform &b = f.start(boardSize);
        key(b, Qt::Key_P); // nothing selected
        QCOMPARE(b.findChildren<TF_BildPreview *>().size(), 0);
        key(b, Qt::Key_1);
        key(b, Qt::Key_P);
        QList<TF_BildPreview *> previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 1);
        QVERIFY(previews[0]->ti_Sekunder.isActive());
        QCOMPARE(previews[0]->pa_Botten->color(), b.MainList[0]->FootPanel->color());
        b.activateWindow();
        showTab(b, 1);
        key(b, Qt::Key_1);
        key(b, Qt::Key_Plus, Qt::KeypadModifier);
        previews = b.findChildren<TF_BildPreview *>();
        QCOMPARE(previews.size(), 2);
        QVERIFY(!previews[1]->ti_Sekunder.isActive()); // a done ticket: the picture only
    }

    void keysStayWithTheControlsThatUseThem()
    {
        BoardFixture f;
        f.add();
        f.add();
        f.add(3000); // in the bottom row: its picture scrolls inside the card
        TF_Mainform &b = f.start(boardSize);
        TPixImageBox *box = b.MainList[2]->ImageBox;
        box->setFocus();
        QCOMPARE(box->vertPosition(), 0);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->vertPosition(), 50);
        QCOMPARE(selectedNumber(b), 0);
        // A digit is no key of the box: it selects, and the arrows are the board's from then on.
        QTest::keyClick(box, Qt::Key_1);
        QCOMPARE(selectedNumber(b), 1);
        QWidget *focus = QApplication::focusWidget();
        QCOMPARE(focus, b.PageControl1->tabBar());
        QTest::keyClick(focus, Qt::Key_Down);
        QCOMPARE(selectedNumber(b), 2);
        QCOMPARE(box->vertPosition(), 50);
        QCOMPARE(b.PageControl1->currentIndex(), 0);
        QTest::keyClick(focus, Qt::Key_Right); // not the tab bar's next tab
        QCOMPARE(b.PageControl1->currentIndex(), 0);

        // Enter on a focused button presses that button, not the selected card.
        TXiButton *ok = b.MainList[2]->FootPanel->findChild<TXiButton *>();
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        QTRY_COMPARE(b.MainList.size(), size_t(2));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QCOMPARE(row(f.posDb, 3).first(), 1);
        QCOMPARE(row(f.posDb, 2).first(), 0);
    }

    void keysInTheSettingsWindowStayThere()
    {
        BoardFixture f;
        f.add();
        TF_Mainform &b = f.start(boardSize);
        TF_Installningar *w = openSettings(b);
        QVERIFY(w);
        w->ed_Bredd->end(false);
        QTest::keyClick(w->ed_Bredd, Qt::Key_1);
        QTest::keyClick(w->ed_Bredd, Qt::Key_Return);
        QCOMPARE(w->ed_Bredd->text(), u"2251"_s);
        w->reject();
        QCOMPARE(selectedNumber(b), 0);
        QCOMPARE(framesOn(b.MainList), 0);
        QCOMPARE(b.MainList.size(), size_t(1));
    }
};

QTEST_MAIN(TestBumpBar)
#include "tst_bumpbar.moc"
