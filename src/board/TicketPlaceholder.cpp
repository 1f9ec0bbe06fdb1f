#include "TicketPlaceholder.h"

#include "controls/Fonts.h"

#include <QPainter>

TicketPlaceholder::TicketPlaceholder(const QString &reason, QWidget *parent)
    : QWidget(parent)
    , m_reason(reason)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TicketPlaceholder::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xEE, 0xEE, 0xEE));
    p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1, Qt::DashLine));
    p.drawRect(rect().adjusted(4, 4, -5, -5));
    const QRect inner = rect().adjusted(10, 10, -10, -10);
    p.setPen(Qt::black);
    p.setFont(arialFont(15, true));
    const int middle = inner.center().y();
    p.drawText(QRect(inner.left(), inner.top(), inner.width(), middle - inner.top()),
               Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, heading());
    p.setFont(arialFont(13));
    p.drawText(QRect(inner.left(), middle + 4, inner.width(), inner.bottom() - middle - 4),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_reason);
}
