#include "PixImage.h"

#include "PixGeometry.h"
#include "SmoothScale.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TPixImage::TPixImage(QWidget *parent)
    : QWidget(parent)
{
    resize(105, 105);
    m_delay.setSingleShot(true);
    m_delay.setInterval(300);
    connect(&m_delay, &QTimer::timeout, this, &TPixImage::smoothPass);
}

void TPixImage::setPicture(const TPicture &picture)
{
    m_picture = picture;
    pictureChanged();
}

void TPixImage::setPicture(const QImage &image)
{
    TPicture p;
    p.setImage(image);
    setPicture(p);
}

bool TPixImage::loadPicture(const QByteArray &bytes)
{
    progress(0, 0, false);
    TPicture loaded;
    const bool ok = loaded.loadFromData(bytes);
    setPicture(loaded);
    progress(2, 100, true);
    return ok;
}

void TPixImage::progress(int stage, int percent, bool redrawNow)
{
    if (m_incrementalDisplay && redrawNow)
        repaint();
    emit OnProgress(this, stage, percent, redrawNow, rect(), QString());
}

#define PIX_SETTER(Setter, member)                                                                 \
    void TPixImage::Setter(bool on)                                                                \
    {                                                                                              \
        if (member == on)                                                                          \
            return;                                                                                \
        member = on;                                                                               \
        pictureChanged();                                                                          \
    }

PIX_SETTER(setStretch, m_stretch)
PIX_SETTER(setProportional, m_proportional)
PIX_SETTER(setCenter, m_center)
PIX_SETTER(setTransparent, m_transparent)
PIX_SETTER(setResample, m_resample) // every Qt platform can stretch with smoothing
#undef PIX_SETTER

void TPixImage::setAutoSize(bool on)
{
    if (m_autoSize == on)
        return;
    m_autoSize = on;
    pictureChanged();
}

void TPixImage::setResampleDelay(int ms)
{
    const bool pending = m_delay.isActive();
    m_delay.setInterval(ms);
    if (pending) {
        if (ms > 0)
            m_delay.start();
        else
            m_delay.stop();
    }
}

QRect TPixImage::DrawingRect() const
{
    return PixGeometry::drawingRect(m_picture.width(), m_picture.height(), width(), height(),
                                    m_stretch, m_proportional, m_center);
}

QSize TPixImage::sizeHint() const
{
    return m_autoSize && !m_picture.isEmpty() ? QSize(m_picture.width(), m_picture.height())
                                              : QWidget::sizeHint();
}

void TPixImage::pictureChanged()
{
    if (m_autoSize && m_picture.width() >= 1 && m_picture.height() >= 1)
        resize(m_picture.width(), m_picture.height());
    if (!m_picture.isEmpty()) {
        if (!m_picture.isVector() && !m_picture.isIcon())
            m_picture.setTransparent(m_transparent);
        const QRect r = DrawingRect();
        m_opaque = !m_picture.transparent() && r.left() <= 0 && r.top() <= 0
            && r.right() + 1 >= width() && r.bottom() + 1 >= height();
    } else {
        m_opaque = false;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, m_opaque);
    if (!m_drawing)
        update();
}

bool TPixImage::ConvertTo24Bit(const QColor &background)
{
    if (m_picture.kind() == TPicture::Kind::Raster
        && (m_picture.image().format() == QImage::Format_RGB32
            || m_picture.image().format() == QImage::Format_RGB888))
        return true;
    if (m_picture.width() <= 0 || m_picture.height() <= 0)
        return false;
    QImage bitmap(m_picture.width(), m_picture.height(), QImage::Format_RGB32);
    if (bitmap.isNull())
        return false;
    bitmap.fill(background);
    {
        QPainter p(&bitmap);
        m_picture.draw(p, QRect(0, 0, bitmap.width(), bitmap.height()));
    }
    TPicture converted;
    converted.setImage(bitmap);
    setPicture(converted);
    return true;
}

void TPixImage::paintEvent(QPaintEvent *event)
{
    const bool saved = m_drawing;
    m_drawing = true;
    QPainter p(this);
    const QRect target = DrawingRect();
    if (m_smoothing) {
        paintSmooth(p, target, event->rect() & visibleRegion().boundingRect());
    } else {
        m_picture.draw(p, target);
        if (m_resample && !m_picture.isVector() && m_delay.interval() > 0)
            m_delay.start();
    }
    m_drawing = saved;
}

void TPixImage::paintSmooth(QPainter &painter, const QRect &target, const QRect &exposed)
{
    // Only the part in view is scaled: a picture zoomed far would otherwise cost its whole
    // enlarged size at every pass. The part is made of a 24-bit copy of the source pixels it
    // needs, on the back colour.
    const QRect area = (target & exposed).translated(-target.topLeft());
    if (area.isEmpty())
        return;
    const SmoothScale scale(QSize(m_picture.width(), m_picture.height()), target.size(), area);
    const QRect source = scale.sourceRect();
    QImage part(source.size(), QImage::Format_RGB32);
    if (part.isNull())
        return;
    part.fill(m_resampleBackColor);
    {
        QPainter pp(&part);
        m_picture.draw(pp, QRect(-source.topLeft(), QSize(m_picture.width(), m_picture.height())));
    }
    painter.drawImage(target.topLeft() + area.topLeft(), scale.scaled(part));
    m_smoothedArea = area.translated(target.topLeft());
}

void TPixImage::smoothPass()
{
    m_delay.stop();
    if (m_picture.isEmpty() || !isVisible())
        return;
    m_smoothing = true;
    repaint();
    m_smoothing = false;
    emit OnPaint(this);
}

void TPixImage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TPixImage::mouseMoveEvent(QMouseEvent *event)
{
    emit OnMouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TPixImage::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_leftPressed) {
        m_leftPressed = false;
        if (rect().contains(pos))
            emit OnClick(this);
    }
    emit OnMouseUp(event->button(), event->modifiers(), pos);
}
