#pragma once

#include <QImage>
#include <QPicture>

#include <optional>

class QPainter;

// The picture container of the image control: one graphic of any kind it can hold, a raster
// picture (bitmap or compressed), an icon or a vector picture. Copies share data.
class TPicture
{
public:
    enum class Kind { Empty, Raster, Icon, Vector };

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isVector() const { return m_kind == Kind::Vector; }
    bool isIcon() const { return m_kind == Kind::Icon; }
    int width() const;
    int height() const;

    // The raster content (also of an icon); null for vector pictures.
    const QImage &image() const { return m_image; }
    const QPicture &vector() const;

    void setImage(const QImage &image, Kind kind = Kind::Raster);
    // Keeps a raster picture in its most compact lossless form (CompactImage). A scaled draw
    // converts it back to the form it was decoded in, since Qt's plain stretch does not sample
    // every form alike: every paint thus shows exactly what the decoded picture would.
    void setCompactImage(const QImage &decoded);
    // A picture already in that form (from CompactImage or its like), decoded as decodedFormat.
    void setCompactImage(const QImage &compact, QImage::Format decodedFormat);
    // The form the raster picture was decoded in, whatever form it is kept in.
    QImage::Format decodedFormat() const
    {
        return m_decodedFormat != QImage::Format_Invalid ? m_decodedFormat : m_image.format();
    }
    void setVector(const QPicture &picture);
    void clear();
    // Any format Qt's image readers know; an ICO file becomes an icon. False leaves it empty.
    bool loadFromData(const QByteArray &bytes);

    // The graphic's own transparency: raster pictures leave out the colour of their
    // bottom-left pixel.
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);

    // Draws into target: raster pictures scaled without filtering, icons at natural size at the
    // target's top-left corner, vector pictures scaled to the target.
    void draw(QPainter &painter, const QRect &target) const;

private:
    const QImage &drawable() const;

    Kind m_kind = Kind::Empty;
    QImage m_image;
    QImage::Format m_decodedFormat = QImage::Format_Invalid; // set while m_image is compacted
    std::optional<QPicture> m_vector; // an empty QPicture alone costs a card half a kilobyte
    bool m_transparent = false;
    mutable QImage m_masked; // the raster with its transparent colour left out
};
