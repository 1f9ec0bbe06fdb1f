#include "CompactImage.h"

#include <array>
#include <cstring>

namespace CompactImage {

namespace {

// The distinct colours of a picture in the order they are met, at most 256 of them.
class Palette
{
public:
    Palette() { m_slots.fill(-1); }

    int count() const { return m_count; }
    QRgb colour(int index) const { return m_colours[size_t(index)]; }
    QList<QRgb> colours() const
    {
        return QList<QRgb>(m_colours.begin(), m_colours.begin() + m_count);
    }

    // The index of a colour, added when new; -1 when it would be the 257th.
    int indexOf(QRgb colour)
    {
        for (uint slot = hash(colour);; slot = (slot + 1) % m_slots.size()) {
            const int at = m_slots[slot];
            if (at < 0) {
                if (m_count == 256)
                    return -1;
                m_colours[size_t(m_count)] = colour;
                m_slots[slot] = qint16(m_count);
                return m_count++;
            }
            if (m_colours[size_t(at)] == colour)
                return at;
        }
    }

private:
    static uint hash(QRgb colour) { return (colour * 2654435761u) >> 22; } // 10 bits

    std::array<qint16, 1024> m_slots {};
    std::array<QRgb, 256> m_colours {};
    int m_count = 0;
};

QImage sameFrame(const QImage &from, QImage::Format format)
{
    QImage to(from.size(), format);
    if (to.isNull())
        return to;
    to.setDotsPerMeterX(from.dotsPerMeterX());
    to.setDotsPerMeterY(from.dotsPerMeterY());
    to.setDevicePixelRatio(from.devicePixelRatio());
    to.setOffset(from.offset());
    return to;
}

// Eight pixels that all hold the raw value of the first pixel, read as one block: a ticket is
// mostly paper, so most blocks are decided by a few wide compares.
template<typename Pixel> bool sameBlock(const Pixel *pixels, Pixel value)
{
    std::array<Pixel, 8> block;
    std::memcpy(block.data(), pixels, sizeof block);
    std::array<Pixel, 8> same;
    same.fill(value);
    return block == same;
}

// The picture at one bit per pixel when it holds no more than two colours, set where a pixel is
// the second; null when a third colour turns up. colourOf gives a raw pixel's colour.
template<typename Pixel, typename ColourOf> QImage twoColours(const QImage &from, ColourOf colourOf)
{
    QImage mono = sameFrame(from, QImage::Format_Mono);
    if (mono.isNull())
        return mono;
    const Pixel firstRaw = reinterpret_cast<const Pixel *>(from.constScanLine(0))[0];
    const QRgb first = colourOf(firstRaw);
    QRgb second = first;
    bool haveSecond = false;
    const auto bit = [&](Pixel raw, uint mask, uint &byte) {
        const QRgb c = colourOf(raw);
        if (c == first)
            return true;
        if (!haveSecond) {
            second = c;
            haveSecond = true;
        } else if (c != second) {
            return false;
        }
        byte |= mask;
        return true;
    };
    const int w = from.width();
    for (int y = 0; y < from.height(); ++y) {
        const auto *src = reinterpret_cast<const Pixel *>(from.constScanLine(y));
        uchar *dst = mono.scanLine(y);
        int x = 0;
        for (; x + 8 <= w; x += 8) {
            uint byte = 0;
            if (!sameBlock(src + x, firstRaw)) {
                for (int b = 0; b < 8; ++b) {
                    if (!bit(src[x + b], 0x80u >> b, byte))
                        return QImage();
                }
            }
            dst[x / 8] = uchar(byte);
        }
        if (x < w) { // bits past the width stay clear
            uint byte = 0;
            for (int b = 0; x + b < w; ++b) {
                if (!bit(src[x + b], 0x80u >> b, byte))
                    return QImage();
            }
            dst[x / 8] = uchar(byte);
        }
    }
    mono.setColorTable({first, second});
    return mono;
}

QImage fromTrueColour(const QImage &decoded, QRgb opaque)
{
    const auto colourOf = [opaque](QRgb raw) {
        return raw | opaque;
    };
    if (QImage mono = twoColours<QRgb>(decoded, colourOf); !mono.isNull())
        return mono;

    // One pass to learn the colours, stopping at the 257th; runs of one colour make most pixels
    // a single compare.
    Palette palette;
    QRgb last = colourOf(reinterpret_cast<const QRgb *>(decoded.constScanLine(0))[0]);
    palette.indexOf(last);
    const int w = decoded.width();
    for (int y = 0; y < decoded.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(decoded.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = colourOf(row[x]);
            if (c != last) {
                if (palette.indexOf(c) < 0)
                    return decoded;
                last = c;
            }
        }
    }

    QImage indexed = sameFrame(decoded, QImage::Format_Indexed8);
    if (indexed.isNull())
        return decoded;
    indexed.setColorTable(palette.colours());
    last = palette.colour(0);
    int lastIndex = 0;
    for (int y = 0; y < decoded.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(decoded.constScanLine(y));
        uchar *dst = indexed.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const QRgb c = colourOf(src[x]);
            if (c != last) {
                last = c;
                lastIndex = palette.indexOf(c);
            }
            dst[x] = uchar(lastIndex);
        }
    }
    return indexed;
}

// An 8-bit picture is kept as it is, unless it shows no more than two colours.
QImage fromIndexed(const QImage &decoded)
{
    // Indices past the table read as Qt reads them: grey levels without a table, else black.
    const QList<QRgb> table = decoded.colorTable();
    std::array<QRgb, 256> colours {};
    for (int i = 0; i < 256; ++i)
        colours[size_t(i)] = table.isEmpty() ? qRgb(i, i, i)
            : i < table.size()               ? table[i]
                                             : qRgb(0, 0, 0);
    const QImage mono =
        twoColours<uchar>(decoded, [&colours](uchar index) { return colours[index]; });
    return mono.isNull() ? decoded : mono;
}

} // namespace

QImage compact(const QImage &decoded)
{
    if (decoded.isNull())
        return decoded;
    switch (decoded.format()) {
    case QImage::Format_RGB32:
        return fromTrueColour(decoded, 0xFF000000);
    case QImage::Format_ARGB32:
        return fromTrueColour(decoded, 0);
    case QImage::Format_Indexed8:
        return fromIndexed(decoded);
    default: // already one bit per pixel, or a form no ticket comes in
        return decoded;
    }
}

} // namespace CompactImage
