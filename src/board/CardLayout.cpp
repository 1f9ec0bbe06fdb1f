#include "CardLayout.h"

#include <algorithm>

namespace CardLayout {

namespace {

int atLeastOne(int v)
{
    return std::max(1, v);
}

} // namespace

int rowHeight(int areaHeight, int rader)
{
    return areaHeight / atLeastOne(rader);
}

int rowTop(int row, int h)
{
    return row <= 1 ? 0 : (row - 1) * (h + 1);
}

int columnCount(int areaWidth, int bredd)
{
    // A tab narrower than one card still holds one column.
    return std::max(1, areaWidth / atLeastOne(bredd));
}

int columnLeft(int column, Tab tab, const Settings &s)
{
    const int w = atLeastOne(s.bredd);
    if (s.horizontal)
        return column * (w + 5);
    return column * (w + 2) + (tab == Tab::Main ? s.vanster : 2 * s.vanster);
}

Tall tallTicket(int h, int pictureHeight, int q, int rader)
{
    if (pictureHeight <= h || q >= rader)
        return {h, 0};
    if (pictureHeight <= 2 * h)
        return {pictureHeight, 1};
    int p = h;
    int k = 0;
    do {
        p *= 2;
        ++k;
    } while (q + k != rader && pictureHeight > 2 * p);
    return {p, k};
}

int fittedHeight(const Tall &tall, int top, int h, int areaHeight)
{
    const qint64 rows = qint64(tall.extraRows + 1) * h + tall.extraRows;
    int height = int(std::min<qint64>(tall.height, rows));
    // Rows below the area (the horizontal order's) are reached by scrolling and keep their height.
    if (top < areaHeight)
        height = std::min(height, areaHeight - top);
    return height;
}

Grid::Grid()
    : m_cells(std::make_unique<std::bitset<size * size>>())
{
}

bool Grid::at(int column, int row) const
{
    if (column < 0 || column >= size || row < 0 || row >= size)
        return false;
    return m_cells->test(static_cast<size_t>(column) * size + static_cast<size_t>(row));
}

void Grid::set(int column, int row)
{
    if (column < 0 || column >= size || row < 0 || row >= size)
        return;
    m_cells->set(static_cast<size_t>(column) * size + static_cast<size_t>(row));
}

void Grid::clear()
{
    m_cells->reset();
}

Cursor::Cursor(Tab tab, const Settings &settings, int areaWidth, int areaHeight, Grid &grid,
               MainState *main)
    : m_tab(tab)
    , m_settings(settings)
    , m_areaHeight(areaHeight)
    , m_h(CardLayout::rowHeight(areaHeight, settings.rader))
    , m_columns(columnCount(areaWidth, settings.bredd))
    , m_grid(grid)
    , m_main(main)
{
    m_settings.rader = atLeastOne(m_settings.rader);
    m_settings.bredd = atLeastOne(m_settings.bredd);
}

void Cursor::startFull()
{
    m_q = 1;
    m_slot = 0;
    m_x = 0;
}

void Cursor::startIncremental()
{
    if (!m_main)
        return startFull();
    m_q = m_main->nextRow;
    m_slot = m_main->mainSlots;
    m_x = m_main->nextCol;
}

void Cursor::advanceHorizontal()
{
    if (++m_x >= m_columns) {
        m_x = 0;
        ++m_q;
    }
}

Placement Cursor::place(int pictureHeight)
{
    Placement p;
    if (!m_settings.horizontal) {
        p.top = rowTop(m_q, m_h);
        p.left = columnLeft(m_slot / m_settings.rader, m_tab, m_settings);
        const Tall tall = tallTicket(m_h, pictureHeight, m_q, m_settings.rader);
        m_q += tall.extraRows;
        m_slot += tall.extraRows;
        p.height = fittedHeight(tall, p.top, m_h, m_areaHeight);
        p.span = tall;
        p.row = m_q;
        p.col = 0;
        skip();
        return p;
    }

    // Every covered cell is passed over, so no card lies on the lower part (and footer) of a tall
    // card standing beside another tall card.
    while (m_grid.at(m_x, m_q))
        advanceHorizontal();
    p.top = rowTop(m_q, m_h);
    p.left = columnLeft(m_x, m_tab, m_settings);
    const Tall tall = tallTicket(m_h, pictureHeight, m_q, m_settings.rader);
    for (int r = m_q + 1; r <= m_q + tall.extraRows; ++r)
        m_grid.set(m_x, r);
    if (m_main)
        m_main->mainSlots += tall.extraRows;
    p.height = fittedHeight(tall, p.top, m_h, m_areaHeight);
    p.span = tall;
    p.row = m_q;
    p.col = m_tab == Tab::Main ? m_x : 0;
    advanceHorizontal();
    if (m_main) {
        ++m_main->mainSlots;
        m_main->nextRow = m_q;
        m_main->nextCol = m_x;
    }
    return p;
}

void Cursor::skip()
{
    if (!m_settings.horizontal) {
        ++m_slot;
        if (++m_q > m_settings.rader)
            m_q = 1;
        if (m_main) {
            m_main->mainSlots = m_slot;
            m_main->nextRow = m_q;
        }
        return;
    }
    while (m_grid.at(m_x, m_q))
        advanceHorizontal();
    advanceHorizontal();
    if (m_main) {
        ++m_main->mainSlots;
        m_main->nextRow = m_q;
        m_main->nextCol = m_x;
    }
}

QList<QPoint> closeGap(const QList<QPoint> &laterPlaces, QPoint removedPlace)
{
    QList<QPoint> moved;
    moved.reserve(laterPlaces.size());
    QPoint free = removedPlace;
    for (const QPoint &place : laterPlaces) {
        moved.append(free);
        free = place;
    }
    return moved;
}

QPoint cellOf(QPoint place, Tab tab, const Settings &s, int h)
{
    const int row = place.y() <= 0 ? 1 : place.y() / (h + 1) + 1;
    const int w = atLeastOne(s.bredd);
    int column = 0;
    if (s.horizontal)
        column = place.x() / (w + 5);
    else
        column = (place.x() - (tab == Tab::Main ? s.vanster : 2 * s.vanster)) / (w + 2);
    return {std::max(0, column), row};
}

} // namespace CardLayout
