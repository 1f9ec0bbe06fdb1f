#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace Glyphs {

namespace {

QImage canvas()
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

QImage gear()
{
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath teeth;
    const QPointF c(12, 12);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        QPainterPath tooth;
        tooth.addRect(QRectF(-2.5, -11, 5, 6));
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotateRadians(a);
        teeth.addPath(t.map(tooth));
    }
    QPainterPath body;
    body.addEllipse(c, 7.5, 7.5);
    QPainterPath hole;
    hole.addEllipse(c, 3, 3);
    const QPainterPath shape = teeth.united(body).subtracted(hole);
    p.fillPath(shape, QColor(0x5A, 0x5F, 0x66));
    p.setPen(QPen(QColor(0x30, 0x33, 0x38), 1));
    p.drawPath(shape);
    return image;
}

QImage house()
{
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF roof {{2, 12}, {12, 2.5}, {22, 12}};
    p.setPen(QPen(QColor(0xA0, 0x28, 0x1E), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xD0, 0x3C, 0x2C));
    p.drawPolygon(roof);
    p.setPen(QPen(QColor(0x6B, 0x4A, 0x2B), 1));
    p.setBrush(QColor(0xF2, 0xD8, 0xA7));
    p.drawRect(QRectF(5, 12, 14, 10));
    p.setBrush(QColor(0x7A, 0x4E, 0x25));
    p.drawRect(QRectF(10.5, 15, 4, 7));
    p.setBrush(QColor(0x8C, 0xC8, 0xF0));
    p.drawRect(QRectF(6.5, 14, 3, 3));
    return image;
}

QImage triangle(bool pointingLeft)
{
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF shape = pointingLeft ? QPolygonF {{17, 4}, {17, 20}, {6, 12}}
                                         : QPolygonF {{7, 4}, {7, 20}, {18, 12}};
    p.setPen(QPen(QColor(0x10, 0x3C, 0x9C), 1));
    p.setBrush(QColor(0x25, 0x6C, 0xE8));
    p.drawPolygon(shape);
    return image;
}

QImage monitor()
{
    QImage image = canvas();
    QPainter p(&image);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.drawRect(2, 3, 19, 14);
    p.fillRect(4, 5, 16, 11, QColor(0x3C, 0x9C, 0xE8));
    p.fillRect(10, 18, 4, 2, QColor(0x40, 0x40, 0x40));
    p.fillRect(6, 20, 12, 2, QColor(0x40, 0x40, 0x40));
    return image;
}

QImage sharpLogo()
{
    QImage image(100, 15, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(font);
    p.setPen(QColor(0xE0, 0x10, 0x10));
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("SHARP"));
    return image;
}

} // namespace Glyphs
