#include "board/CardLayout.h"

#include <QTest>

using namespace CardLayout;
using namespace Qt::StringLiterals;

namespace {

// (left, top, height, row, col) of each card, for a run of picture heights; 0 stands for a
// ticket whose picture cannot be read.
QList<QList<int>> run(Cursor &cursor, const QList<int> &heights)
{
    QList<QList<int>> out;
    for (int h : heights) {
        if (h == 0) {
            cursor.skip();
            out.append(QList<int>());
            continue;
        }
        const Placement p = cursor.place(h);
        out.append({p.left, p.top, p.height, p.row, p.col});
    }
    return out;
}

using Cells = QList<QList<int>>;

} // namespace

class TestCardLayout : public QObject
{
    Q_OBJECT

private slots:
    void rows()
    {
        QCOMPARE(rowHeight(600, 3), 200);
        QCOMPARE(rowTop(0, 200), 0);
        QCOMPARE(rowTop(1, 200), 0);
        QCOMPARE(rowTop(2, 200), 201);
        QCOMPARE(rowTop(3, 200), 402);
        QCOMPARE(rowHeight(600, 0), 600); // below 1 counts as 1
        QCOMPARE(columnCount(1800, 225), 8);
        QCOMPARE(columnCount(100, 225), 1);
        QCOMPARE(columnCount(100, 0), 100);
        Settings h;
        h.horizontal = true;
        QCOMPARE(columnLeft(7, Tab::Main, h), 1610); // ends at 1835, beyond 1800
    }

    void tallTicket_data()
    {
        QTest::addColumn<int>("H");
        QTest::addColumn<int>("q");
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("k");
        QTest::newRow("150") << 150 << 1 << 200 << 0;
        QTest::newRow("350") << 350 << 1 << 350 << 1;
        QTest::newRow("700") << 700 << 1 << 400 << 1;
        QTest::newRow("900 with two rows below") << 900 << 1 << 800 << 2;
        QTest::newRow("900 with one row below") << 900 << 2 << 400 << 1;
        QTest::newRow("bottom row never grows") << 900 << 3 << 200 << 0;
        QTest::newRow("below the bottom row") << 900 << 5 << 200 << 0;
        QTest::newRow("exactly one row") << 200 << 1 << 200 << 0;
    }

    void tallTicket()
    {
        QFETCH(int, H);
        QFETCH(int, q);
        QFETCH(int, p);
        QFETCH(int, k);
        const Tall t = CardLayout::tallTicket(200, H, q, 3);
        QCOMPARE(t.height, p);
        QCOMPARE(t.extraRows, k);
    }

    void fittedHeight_data()
    {
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("area");
        QTest::addColumn<int>("height");
        // h = 200 throughout.
        QTest::newRow("one row") << 200 << 0 << 0 << 600 << 200;
        QTest::newRow("1.5 rows") << 300 << 1 << 0 << 600 << 300;
        QTest::newRow("four row heights over three rows") << 800 << 2 << 0 << 602 << 602;
        QTest::newRow("eight over four, area 800") << 1600 << 3 << 0 << 800 << 800;
        QTest::newRow("eight over four, area 803") << 1600 << 3 << 0 << 803 << 803;
        QTest::newRow("four over three from row 2") << 800 << 2 << 201 << 1000 << 602;
        QTest::newRow("bottom row of an area of 600") << 200 << 0 << 402 << 600 << 198;
        QTest::newRow("below the area: scrolled to") << 200 << 0 << 603 << 600 << 200;
    }

    void fittedHeight()
    {
        QFETCH(int, p);
        QFETCH(int, k);
        QFETCH(int, top);
        QFETCH(int, area);
        QFETCH(int, height);
        QCOMPARE(CardLayout::fittedHeight(Tall {p, k}, top, 200, area), height);
    }

    // Whatever the pictures, in either order, no card covers another and none reaches below the
    // rows of the area.
    void cardsNeverOverlap_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("rader");
        QTest::addColumn<QList<int>>("heights");
        QList<int> vertical(24, 100);
        vertical[0] = 5000;
        vertical[2] = 1000;
        vertical[5] = 3000;
        vertical[8] = 2000;
        vertical[13] = 400;
        // Tall pictures in columns apart: the horizontal order places a card on the second of
        // two covered cells side by side.
        QList<int> horizontal(24, 100);
        horizontal[0] = 5000;
        horizontal[2] = 1000;
        QTest::newRow("vertical, 3 rows") << false << 3 << vertical;
        QTest::newRow("vertical, 4 rows") << false << 4 << vertical;
        QTest::newRow("vertical, 5 rows") << false << 5 << vertical;
        QTest::newRow("horizontal, 3 rows") << true << 3 << horizontal;
        QTest::newRow("horizontal, 4 rows") << true << 4 << horizontal;
        QTest::newRow("horizontal, 5 rows") << true << 5 << horizontal;
    }

    void cardsNeverOverlap()
    {
        QFETCH(bool, horizontal);
        QFETCH(int, rader);
        QFETCH(QList<int>, heights);
        Grid grid;
        MainState main;
        Settings s;
        s.horizontal = horizontal;
        s.rader = rader;
        const int area = 763;
        Cursor c(Tab::Main, s, 4 * 230, area, grid, &main);
        c.startFull();
        QList<QRect> cards;
        for (int height : heights) {
            const Placement p = c.place(height);
            const QRect card(p.left, p.top, s.bredd, p.height);
            for (const QRect &other : std::as_const(cards))
                QVERIFY2(!card.intersects(other), qPrintable(u"card %1"_s.arg(cards.size() + 1)));
            if (card.top() < area)
                QVERIFY(card.bottom() < area);
            cards.append(card);
        }
    }

    void verticalRun()
    {
        Grid grid;
        MainState main;
        Settings s; // RADER 3, W 225, V 0
        Cursor full(Tab::Main, s, 1800, 600, grid, &main);
        full.startFull();
        const Cells cells = run(full, {100, 100, 100, 100, 100, 100, 100});
        QCOMPARE(cells,
                 (Cells {{0, 0, 200, 1, 0},
                         {0, 201, 200, 2, 0},
                         {0, 402, 198, 3, 0}, // ends at the bottom of the area
                         {227, 0, 200, 1, 0},
                         {227, 201, 200, 2, 0},
                         {227, 402, 198, 3, 0},
                         {454, 0, 200, 1, 0}}));
        QCOMPARE(main.mainSlots, 7);
        QCOMPARE(main.nextRow, 2);

        Cursor more(Tab::Main, s, 1800, 600, grid, &main);
        more.startIncremental();
        QCOMPARE(run(more, {100}), (Cells {{454, 201, 200, 2, 0}}));
    }

    void readyTabUsesTwiceTheOffset()
    {
        Grid grid;
        Settings s;
        s.vanster = 10;
        Cursor c(Tab::Ready, s, 1800, 600, grid, nullptr);
        c.startFull();
        const Cells cells = run(c, {10, 10, 10, 10});
        QCOMPARE(cells[0][0], 20);
        QCOMPARE(cells[2][0], 20);
        QCOMPARE(cells[3][0], 247);
    }

    void verticalTallAndDamaged()
    {
        Grid grid;
        MainState main;
        Cursor c(Tab::Main, Settings {}, 1800, 600, grid, &main);
        c.startFull();
        // 1.5 rows at row 1: covers rows 1 and 2, records Row 2, next goes to row 3. A tall one
        // at row 3 of 3 stays one row high. A damaged picture keeps its slot. No card reaches
        // below the area, 600 high.
        const Cells cells = run(c, {300, 100, 0, 900, 100});
        QCOMPARE(cells[0], (QList<int> {0, 0, 300, 2, 0}));
        QCOMPARE(cells[1], (QList<int> {0, 402, 198, 3, 0}));
        QVERIFY(cells[2].isEmpty());
        QCOMPARE(cells[3], (QList<int> {227, 201, 399, 3, 0}));
        QCOMPARE(cells[4], (QList<int> {454, 0, 200, 1, 0}));
        QCOMPARE(main.mainSlots, 7);
    }

    void horizontalRunWithFlaggedCell()
    {
        Grid grid;
        MainState main;
        Settings s;
        s.horizontal = true;
        Cursor c(Tab::Main, s, 4 * 225 + 50, 600, grid, &main); // N = 4
        c.startFull();
        const Cells cells = run(c, {100, 300, 100, 100, 100, 100, 100});
        QCOMPARE(cells[1], (QList<int> {230, 0, 300, 1, 1}));
        QVERIFY(grid.at(1, 2));
        QCOMPARE(cells[4], (QList<int> {0, 201, 200, 2, 0}));
        QCOMPARE(cells[5], (QList<int> {460, 201, 200, 2, 2})); // (1, 2) is flagged
        QCOMPARE(cells[6], (QList<int> {690, 201, 200, 2, 3}));
        QCOMPARE(main.mainSlots, 8);
        QCOMPARE(main.nextRow, 3);
        QCOMPARE(main.nextCol, 0);
    }

    // Two tall cards side by side: the next row's card passes both covered cells, so it lies on
    // neither card's footer.
    void horizontalPassesEveryCoveredCell()
    {
        Grid grid;
        grid.set(0, 1);
        grid.set(1, 1);
        Settings s;
        s.horizontal = true;
        Cursor c(Tab::Ready, s, 900, 600, grid, nullptr);
        c.startFull();
        const Cells cells = run(c, {100, 100});
        QCOMPARE(cells[0], (QList<int> {460, 0, 200, 1, 0}));
        QCOMPARE(cells[1], (QList<int> {690, 0, 200, 1, 0}));
    }

    void rowsBeyondRaderAndGridEdges()
    {
        Grid grid;
        grid.set(2000, 5); // outside: ignored
        QVERIFY(!grid.at(2000, 5));
        QVERIFY(!grid.at(-1, 0));
        Settings s;
        s.horizontal = true;
        s.bredd = 1;
        Cursor c(Tab::Ready, s, 1500, 600, grid, nullptr); // 1500 columns, beyond the grid
        c.startFull();
        for (int i = 0; i < 1499; ++i)
            c.place(10);
        const Placement p = c.place(5000); // column 1499, outside the grid
        QCOMPARE(p.left, 1499 * 6);
        QCOMPARE(c.place(10).row, 2);
    }

    void closeGapMovesLaterCards()
    {
        // Five cards; the second goes.
        const QList<QPoint> later {{0, 402}, {227, 0}, {227, 201}};
        QCOMPARE(closeGap(later, QPoint(0, 201)), (QList<QPoint> {{0, 201}, {0, 402}, {227, 0}}));
        QCOMPARE(closeGap({}, QPoint(5, 5)), QList<QPoint> {});
    }

    void cells()
    {
        Settings s;
        QCOMPARE(cellOf({227, 201}, Tab::Main, s, 200), QPoint(1, 2));
        QCOMPARE(cellOf({0, 0}, Tab::Main, s, 200), QPoint(0, 1));
        s.horizontal = true;
        QCOMPARE(cellOf({460, 402}, Tab::Main, s, 200), QPoint(2, 3));
    }
};

QTEST_GUILESS_MAIN(TestCardLayout)
#include "tst_cardlayout.moc"
