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
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &CardArea::showCardsNearView);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CardArea::showCardsNearView);
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

void CardArea::addCard(QWidget *card)
{
    m_cards.emplace_back(card);
    m_extent |= card->geometry();
    applyExtent();
    // Hidden outright: a child of a hidden area would otherwise show with it.
    card->setVisible(nearView().intersects(card->geometry()));
}

void CardArea::updateExtent()
{
    std::erase_if(m_cards, [](const QPointer<QWidget> &card) { return card.isNull(); });
    m_extent = QRect();
    for (const QPointer<QWidget> &card : m_cards)
        m_extent |= card->geometry();
    applyExtent();
    showCardsNearView();
}

QRect CardArea::nearView() const
{
    // A view's width or height on each side, so that a scroll step finds its cards shown.
    const QSize view = viewport()->size();
    return QRect(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()), view)
        .adjusted(-view.width(), -view.height(), view.width(), view.height());
}

void CardArea::showCardsNearView()
{
    const QRect near = nearView();
    for (const QPointer<QWidget> &card : m_cards) {
        if (!card)
            continue;
        const bool wanted = near.intersects(card->geometry());
        if (wanted == card->isHidden())
            card->setVisible(wanted);
    }
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
    showCardsNearView();
    emit resized();
}
