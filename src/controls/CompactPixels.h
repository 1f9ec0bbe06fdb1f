#pragma once

#include <QImage>
#include <QtEndian>

#include <array>
#include <cstring>
#include <vector>

// The passes behind compact pictures, for any source of pixel rows: the scan lines of a decoded
// picture or the rows of a bitmap file as they are stored. A source is a function giving the
// bytes of row y (top row 0), a reader that says how wide a raw pixel is and reads it, and a
// function giving a raw pixel's colour.
namespace CompactPixels {

struct Index8
{
    static constexpr int size = 1;
    static uint read(const uchar *p) { return *p; }
};

struct Native32 // a decoded picture's 32-bit pixels
{
    static constexpr int size = 4;
    static uint read(const uchar *p) { return qFromUnaligned<quint32>(p); }
};

struct Bgr24 // a file's 24-bit pixels: blue, green, red
{
    static constexpr int size = 3;
    static uint read(const uchar *p) { return p[0] | uint(p[1]) << 8 | uint(p[2]) << 16; }
};

struct Bgra32 // a file's 32-bit pixels: blue, green, red and a fourth byte
{
    static constexpr int size = 4;
    static uint read(const uchar *p) { return qFromLittleEndian<quint32>(p); }
};

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

// Packs the picture into mono (already of its size), a bit set where a pixel is the second
// colour, with the two colours as its table; false when a third colour turns up. A ticket is
// mostly paper: whole rows, then blocks of eight pixels, that all hold the raw value of the first
// pixel are decided by a few wide compares.
template<typename Reader, typename RowAt, typename ColourOf>
bool packTwoColours(QImage &mono, RowAt rowAt, ColourOf colourOf)
{
    constexpr int size = Reader::size;
    const int w = mono.width();
    const uchar *firstPixel = rowAt(0);
    std::vector<uchar> paper(size_t(w) * size);
    for (int x = 0; x < w; ++x)
        std::memcpy(paper.data() + size_t(x) * size, firstPixel, size);
    const uint firstRaw = Reader::read(firstPixel);
    const QRgb first = colourOf(firstRaw);
    QRgb second = first;
    bool haveSecond = false;
    // 0 or 1 for the first or second colour, -1 for a third.
    const auto bitOf = [&](const uchar *pixel) {
        const uint raw = Reader::read(pixel);
        if (raw == firstRaw)
            return 0;
        const QRgb c = colourOf(raw);
        if (c == first)
            return 0;
        if (!haveSecond) {
            second = c;
            haveSecond = true;
        } else if (c != second) {
            return -1;
        }
        return 1;
    };
    const size_t rowBytes = paper.size();
    for (int y = 0; y < mono.height(); ++y) {
        const uchar *src = rowAt(y);
        uchar *dst = mono.scanLine(y);
        if (std::memcmp(src, paper.data(), rowBytes) == 0) {
            std::memset(dst, 0, size_t(mono.bytesPerLine()));
            continue;
        }
        for (int x = 0; x < w; x += 8) {
            const uchar *pixels = src + size_t(x) * size;
            uint byte = 0;
            if (x + 8 > w || std::memcmp(pixels, paper.data(), 8 * size) != 0) {
                for (int b = 0; b < 8 && x + b < w; ++b) { // bits past the width stay clear
                    const int bit = bitOf(pixels + b * size);
                    if (bit < 0)
                        return false;
                    byte |= uint(bit) << (7 - b);
                }
            }
            dst[x / 8] = uchar(byte);
        }
    }
    mono.setColorTable({first, second});
    return true;
}

// The distinct colours of the picture into palette, in the order they are met; false at the
// 257th. Runs of one colour make most pixels a single compare.
template<typename Reader, typename RowAt, typename ColourOf>
bool learnColours(QSize size, RowAt rowAt, ColourOf colourOf, Palette &palette)
{
    uint last = Reader::read(rowAt(0));
    palette.indexOf(colourOf(last));
    for (int y = 0; y < size.height(); ++y) {
        const uchar *row = rowAt(y);
        for (int x = 0; x < size.width(); ++x) {
            const uint raw = Reader::read(row + size_t(x) * Reader::size);
            if (raw != last) {
                if (palette.indexOf(colourOf(raw)) < 0)
                    return false;
                last = raw;
            }
        }
    }
    return true;
}

// Writes the palette index of every pixel into indexed, whose table becomes the palette's
// colours; every colour must be in the palette already.
template<typename Reader, typename RowAt, typename ColourOf>
void packIndices(QImage &indexed, RowAt rowAt, ColourOf colourOf, Palette &palette)
{
    indexed.setColorTable(palette.colours());
    uint last = Reader::read(rowAt(0));
    int lastIndex = palette.indexOf(colourOf(last));
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *src = rowAt(y);
        uchar *dst = indexed.scanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const uint raw = Reader::read(src + size_t(x) * Reader::size);
            if (raw != last) {
                last = raw;
                lastIndex = palette.indexOf(colourOf(raw));
            }
            dst[x] = uchar(lastIndex);
        }
    }
}

// The colours of an 8-bit picture's indices; past its table as Qt reads them: grey levels
// without a table, else black.
inline std::array<QRgb, 256> indexColours(const QList<QRgb> &table)
{
    std::array<QRgb, 256> colours {};
    for (int i = 0; i < 256; ++i)
        colours[size_t(i)] = table.isEmpty() ? qRgb(i, i, i)
            : i < table.size()               ? table[i]
                                             : qRgb(0, 0, 0);
    return colours;
}

} // namespace CompactPixels
