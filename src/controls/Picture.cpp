#include "Picture.h"

#include "CompactImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

const QPicture &TPicture::vector() const
{
    static const QPicture none;
    return m_vector ? *m_vector : none;
}

int TPicture::width() const
{
    switch (m_kind) {
    case Kind::Raster:
    case Kind::Icon:
        return m_image.width();
    case Kind::Vector:
        return vector().boundingRect().width();
    case Kind::Empty:
        break;
    }
    return 0;
}

int TPicture::height() const
{
    switch (m_kind) {
    case Kind::Raster:
    case Kind::Icon:
        return m_image.height();
    case Kind::Vector:
        return vector().boundingRect().height();
    case Kind::Empty:
        break;
    }
    return 0;
}

void TPicture::setImage(const QImage &image, Kind kind)
{
    m_image = image;
    m_decodedFormat = QImage::Format_Invalid;
    m_vector.reset();
    m_kind = image.isNull() ? Kind::Empty : kind;
    m_masked = QImage();
}

void TPicture::setCompactImage(const QImage &decoded)
{
    setCompactImage(CompactImage::compact(decoded), decoded.format());
}

void TPicture::setCompactImage(const QImage &compact, QImage::Format decodedFormat)
{
    setImage(compact);
    if (!m_image.isNull() && m_image.format() != decodedFormat)
        m_decodedFormat = decodedFormat;
}

void TPicture::setVector(const QPicture &picture)
{
    m_vector = picture;
    m_image = QImage();
    m_decodedFormat = QImage::Format_Invalid;
    m_kind = picture.isNull() ? Kind::Empty : Kind::Vector;
    m_masked = QImage();
}

void TPicture::clear()
{
    setImage(QImage());
}

bool TPicture::loadFromData(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull()) {
        QPicture vector;
        vector.setData(bytes.constData(), static_cast<uint>(bytes.size()));
        if (!vector.isNull() && vector.boundingRect().isValid()) {
            setVector(vector);
            return true;
        }
        clear();
        return false;
    }
    setImage(image, format == "ico" || format == "cur" ? Kind::Icon : Kind::Raster);
    return true;
}

void TPicture::setTransparent(bool on)
{
    if (m_transparent == on)
        return;
    m_transparent = on;
    m_masked = QImage();
}

const QImage &TPicture::drawable() const
{
    if (!m_transparent || m_kind != Kind::Raster)
        return m_image;
    if (m_masked.isNull()) {
        m_masked = m_image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = m_masked.pixel(0, m_masked.height() - 1);
        for (int y = 0; y < m_masked.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(m_masked.scanLine(y));
            for (int x = 0; x < m_masked.width(); ++x) {
                if (row[x] == key)
                    row[x] = 0;
            }
        }
    }
    return m_masked;
}

void TPicture::draw(QPainter &painter, const QRect &target) const
{
    switch (m_kind) {
    case Kind::Empty:
        return;
    case Kind::Icon:
        painter.drawImage(target.topLeft(), m_image);
        return;
    case Kind::Raster: {
        const QImage &image = drawable();
        const bool oneToOne = target.size() == image.size()
            && painter.deviceTransform().type() <= QTransform::TxTranslate;
        if (&image == &m_image && m_decodedFormat != QImage::Format_Invalid && !oneToOne)
            painter.drawImage(target, image.convertToFormat(m_decodedFormat));
        else
            painter.drawImage(target, image);
        return;
    }
    case Kind::Vector: {
        const QRect bounds = vector().boundingRect();
        if (bounds.isEmpty())
            return;
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(static_cast<double>(target.width()) / bounds.width(),
                      static_cast<double>(target.height()) / bounds.height());
        painter.translate(-bounds.topLeft());
        painter.drawPicture(0, 0, vector());
        painter.restore();
        return;
    }
    }
}
