#include "CardArea.h"

#include <QScrollBar>

CardArea::CardArea(QWidget *parent)
    : QScrollArea(parent)
    , m_canvas(new QWidget)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    m_canvas->setAutoFillBackground(false);
    setWidget(m_canvas);
    setHorzBarVisible(false);
    setVertBarVisible(false);
}

void CardArea::setHorzBarVisible(bool on)
{
    m_horz = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateExtent();
}

void CardArea::setVertBarVisible(bool on)
{
    m_vert = on;
    setVerticalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateExtent();
}

int CardArea::horzPosition() const
{
    return horizontalScrollBar()->value();
}

void CardArea::setHorzPosition(int pos)
{
    horizontalScrollBar()->setValue(pos);
}

void CardArea::updateExtent()
{
    QRect extent(QPoint(0, 0), viewport()->size());
    for (const QObject *child : m_canvas->children()) {
        if (const auto *w = qobject_cast<const QWidget *>(child); w && !w->isHidden())
            extent |= w->geometry();
    }
    // Without a scroll bar in a direction nothing beyond the view can be reached there.
    const int w = m_horz ? extent.right() + 1 : viewport()->width();
    const int h = m_vert ? extent.bottom() + 1 : viewport()->height();
    m_canvas->resize(std::max(w, viewport()->width()), std::max(h, viewport()->height()));
}

void CardArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    updateExtent();
}
