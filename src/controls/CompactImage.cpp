#include "CompactImage.h"

#include <array>

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

// One bit per pixel: set where the pixel is the second colour. Bits past the width stay clear.
template<typename Pixel, typename IsSecond>
QImage packMono(const QImage &from, QRgb first, QRgb second, IsSecond isSecond)
{
    QImage mono = sameFrame(from, QImage::Format_Mono);
    if (mono.isNull())
        return from;
    mono.setColorTable({first, second});
    const int w = from.width();
    for (int y = 0; y < from.height(); ++y) {
        const auto *src = reinterpret_cast<const Pixel *>(from.constScanLine(y));
        uchar *dst = mono.scanLine(y);
        int x = 0;
        for (; x + 8 <= w; x += 8) {
            uint byte = 0;
            for (int b = 0; b < 8; ++b)
                byte = (byte << 1) | uint(isSecond(src[x + b]));
            dst[x / 8] = uchar(byte);
        }
        if (x < w) {
            uint byte = 0;
            for (int b = 0; b < 8; ++b)
                byte = (byte << 1) | uint(x + b < w && isSecond(src[x + b]));
            dst[x / 8] = uchar(byte);
        }
    }
    return mono;
}

QImage fromTrueColour(const QImage &decoded, QRgb opaque)
{
    // One pass to learn the colours; a ticket's runs of one colour make most pixels a compare.
    Palette palette;
    QRgb last = (reinterpret_cast<const QRgb *>(decoded.constScanLine(0))[0]) | opaque;
    palette.indexOf(last);
    const int w = decoded.width();
    for (int y = 0; y < decoded.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(decoded.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = row[x] | opaque;
            if (c != last) {
                if (palette.indexOf(c) < 0)
                    return decoded;
                last = c;
            }
        }
    }

    if (palette.count() <= 2) {
        const QRgb first = palette.colour(0);
        const QRgb second = palette.count() == 2 ? palette.colour(1) : first;
        return packMono<QRgb>(decoded, first, second,
                              [second, opaque](QRgb c) { return (c | opaque) == second; });
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
            const QRgb c = src[x] | opaque;
            if (c != last) {
                last = c;
                lastIndex = palette.indexOf(c);
            }
            dst[x] = uchar(lastIndex);
        }
    }
    return indexed;
}

// An 8-bit picture is kept, unless it uses no more than two colours.
QImage fromIndexed(const QImage &decoded)
{
    std::array<bool, 256> used {};
    const int w = decoded.width();
    for (int y = 0; y < decoded.height(); ++y) {
        const uchar *row = decoded.constScanLine(y);
        for (int x = 0; x < w; ++x)
            used[row[x]] = true;
    }
    // Indices past the table read as Qt reads them: grey levels without a table, else black.
    const QList<QRgb> table = decoded.colorTable();
    const auto colourOf = [&table](int i) {
        return table.isEmpty() ? qRgb(i, i, i) : i < table.size() ? table[i] : qRgb(0, 0, 0);
    };
    Palette palette;
    std::array<bool, 256> second {};
    for (int i = 0; i < 256; ++i) {
        if (!used[size_t(i)])
            continue;
        const int at = palette.indexOf(colourOf(i));
        if (at > 1)
            return decoded;
        second[size_t(i)] = at == 1;
    }
    const QRgb first = palette.colour(0);
    return packMono<uchar>(decoded, first, palette.count() == 2 ? palette.colour(1) : first,
                           [&second](uchar i) { return second[i]; });
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
