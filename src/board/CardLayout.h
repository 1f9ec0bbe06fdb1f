#pragma once

#include <QList>
#include <QPoint>

#include <bitset>
#include <memory>

// Where each ticket card stands on its tab and how tall it is. Cards form a grid of equal
// columns, BREDD wide, and RADER rows sharing the tab's height; the vertical order fills a
// column before the next, the horizontal order a row before the next. A ticket taller than a row
// gets a taller card over further rows.
namespace CardLayout {

enum class Tab { Main, Ready };

struct Settings
{
    int rader = 3; // row count; below 1 counts as 1
    int bredd = 225; // card width W; below 1 counts as 1
    int vanster = 0; // left offset V
    bool horizontal = false;
};

int rowHeight(int areaHeight, int rader);
int rowTop(int row, int h);
int columnCount(int areaWidth, int bredd);
int columnLeft(int column, Tab tab, const Settings &s);

// The card height p and the further rows k it covers, for picture height H in first row q.
struct Tall
{
    int height;
    int extraRows;
};
Tall tallTicket(int h, int pictureHeight, int q, int rader);

// The height a card is built with: the tall-ticket height, but never beyond the rows the card
// covers (those row heights with the gaps between them) nor below the bottom of the area, so
// that no later card covers its footer and no footer leaves the visible area.
int fittedHeight(const Tall &tall, int top, int h, int areaHeight);

// Cells covered by the lower part of a tall card, columns and rows 0 to 999. Cells outside
// read as free and are never set.
class Grid
{
public:
    Grid();
    bool at(int column, int row) const;
    void set(int column, int row);
    void clear();

private:
    static constexpr int size = 1000;
    std::unique_ptr<std::bitset<size * size>> m_cells;
};

// The placement state of the tab "Pågående", kept between builds.
struct MainState
{
    int mainSlots = 0;
    int nextRow = 1;
    int nextCol = 0;
};

struct Placement
{
    int left = 0;
    int top = 0;
    int height = 0;
    int row = 0;
    int col = 0;
    Tall span {0, 0}; // before it was fitted to its place
};

// The cursor of one build: one call of place() or skip() per ticket, in reading order.
class Cursor
{
public:
    // main is the tab's kept state for "Pågående" and null for "Klara".
    Cursor(Tab tab, const Settings &settings, int areaWidth, int areaHeight, Grid &grid,
           MainState *main);

    void startFull();
    void startIncremental();
    // The place of a card whose picture is pictureHeight pixels high.
    Placement place(int pictureHeight);
    // A ticket that gets no card still takes its slot.
    void skip();

private:
    void advanceHorizontal();

    Tab m_tab;
    Settings m_settings;
    int m_areaHeight;
    int m_h;
    int m_columns;
    Grid &m_grid;
    MainState *m_main;
    int m_q = 1; // row, 1-based
    int m_slot = 0; // slot, vertical order
    int m_x = 0; // column, horizontal order
};

// After the card at position i has gone: each later card takes the place of the card before it,
// the first of them the removed card's place. Returns the new places of positions i, i + 1, ….
QList<QPoint> closeGap(const QList<QPoint> &laterPlaces, QPoint removedPlace);

// The cell a card's recorded place stands in: its row (1-based) and column (0-based).
QPoint cellOf(QPoint place, Tab tab, const Settings &s, int h);

} // namespace CardLayout
