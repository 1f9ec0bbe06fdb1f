#include "CardFrame.h"

#include "controls/Panel.h"

#include <QPainter>

CardFrame::CardFrame(const QColor &color, int thickness, int level, QWidget *parent)
    : QWidget(parent)
    , m_color(color)
    , m_thickness(thickness)
    , m_level(level)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void CardFrame::attachTo(TPanel *card, int footerTop)
{
    if (parentWidget() != card)
        setParent(card);
    setGeometry(0, 0, card->width(), footerTop);
    show();
    raise();
    for (CardFrame *other : card->findChildren<CardFrame *>(Qt::FindDirectChildrenOnly)) {
        if (other->level() > m_level)
            other->raise();
    }
}

void CardFrame::setStrength(int alpha)
{
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_alpha)
        return;
    m_alpha = alpha;
    update(strip());
}

QRegion CardFrame::strip() const
{
    const QRect outer = rect();
    return QRegion(outer).subtracted(
        QRegion(outer.adjusted(m_thickness, m_thickness, -m_thickness, -m_thickness)));
}

void CardFrame::paintEvent(QPaintEvent *)
{
    if (m_alpha == 0)
        return;
    QPainter p(this);
    QColor c = m_color;
    c.setAlpha(m_alpha);
    p.setClipRegion(strip());
    p.fillRect(rect(), c);
}
