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

void CardArea::skipOpaqueSiblingSearch()
{
    if (!qEnvironmentVariableIsSet("QT_NO_SUBTRACTOPAQUESIBLINGS"))
        qputenv("QT_NO_SUBTRACTOPAQUESIBLINGS", "1");
}

void CardArea::setHorzBarVisible(bool on)
{
    m_horz = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    applyExtent();
}

void CardArea::setVertBarVisible(bool on)
{
    m_vert = on;
    setVerticalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    applyExtent();
}

int CardArea::cardsHeight() const
{
    return height() - (m_horz ? horizontalScrollBar()->sizeHint().height() : 0);
}

int CardArea::horzPosition() const
{
    return horizontalScrollBar()->value();
}

void CardArea::setHorzPosition(int pos)
{
    horizontalScrollBar()->setValue(pos);
}

void CardArea::extend(const QRect &card)
{
    m_extent |= card;
    applyExtent();
}

void CardArea::updateExtent()
{
    m_extent = QRect();
    for (const QObject *child : m_canvas->children()) {
        if (const auto *w = qobject_cast<const QWidget *>(child); w && !w->isHidden())
            m_extent |= w->geometry();
    }
    applyExtent();
}

void CardArea::applyExtent()
{
    // Without a scroll bar in a direction nothing beyond the view can be reached there.
    const QSize view = viewport()->size();
    const int w = m_horz ? m_extent.right() + 1 : view.width();
    const int h = m_vert ? m_extent.bottom() + 1 : view.height();
    m_canvas->resize(std::max(w, view.width()), std::max(h, view.height()));
}

void CardArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    applyExtent();
    emit resized();
}
