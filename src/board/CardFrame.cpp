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
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    update();
}

QRegion CardFrame::strip() const
{
    const QRect outer = rect();
    return QRegion(outer).subtracted(
        QRegion(outer.adjusted(m_thickness, m_thickness, -m_thickness, -m_thickness)));
}

void CardFrame::resizeEvent(QResizeEvent *)
{
    setMask(strip());
}

void CardFrame::paintEvent(QPaintEvent *)
{
    const auto mix = [this](int channel) {
        return (channel * m_alpha + 255 * (255 - m_alpha) + 127) / 255;
    };
    QPainter p(this);
    p.fillRect(rect(), QColor(mix(m_color.red()), mix(m_color.green()), mix(m_color.blue())));
}
