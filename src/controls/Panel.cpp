#include "Panel.h"

#include <QPainter>

TPanel::TPanel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void TPanel::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    update();
}

void TPanel::setFontColor(const QColor &color)
{
    if (m_fontColor == color)
        return;
    m_fontColor = color;
    update();
}

void TPanel::setAlignment(Qt::Alignment alignment)
{
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    update();
}

void TPanel::setBevelOuter(Bevel bevel)
{
    if (m_bevel == bevel)
        return;
    m_bevel = bevel;
    update();
}

void TPanel::setBevelWidth(int width)
{
    if (m_bevelWidth == width)
        return;
    m_bevelWidth = width;
    update();
}

void TPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    QRect inner = rect();
    if (m_bevel != Bevel::None) {
        const QColor light(Qt::white);
        const QColor dark(0xA0, 0xA0, 0xA0);
        const QColor topLeft = m_bevel == Bevel::Raised ? light : dark;
        const QColor bottomRight = m_bevel == Bevel::Raised ? dark : light;
        for (int i = 0; i < m_bevelWidth; ++i) {
            const QRect r = rect().adjusted(i, i, -i - 1, -i - 1);
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
        inner = rect().adjusted(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    }
    if (!m_caption.isEmpty()) {
        p.setPen(m_fontColor);
        p.setFont(font());
        p.drawText(inner.adjusted(m_alignment & Qt::AlignLeft ? 2 : 0, 0, 0, 0),
                   int(m_alignment) | Qt::TextSingleLine, m_caption);
    }
}
