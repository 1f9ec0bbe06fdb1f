#pragma once

#include <QImage>
#include <QtEndian>

#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The bits of eight 8-bit pixels, the first pixel the highest bit, set where a pixel holds the
// byte of second; -1 when one holds neither that of first nor that of second. Eight bytes at
// once: a test per byte would cost as much as Qt's whole decode of an 8-bit file.
inline int indexBits(const uchar *pixels, quint64 first, quint64 second)
{
    const quint64 v = qFromLittleEndian<quint64>(pixels); // pixel i in byte i
    if (v == first)
        return 0;
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    const auto nonZeroBytes = [](quint64 b) {
        return (((b & low7) + low7) | b) & ~low7;
    };
    const quint64 notFirst = nonZeroBytes(v ^ first);
    if ((notFirst & nonZeroBytes(v ^ second)) != 0)
        return -1;
    // Gathers the top bit of byte i into bit 7 - i of the top byte; the products never overlap.
    return int(((notFirst >> 7) * 0x8040201008040201ULL) >> 56);
}

// Packs 8-bit pixels from x on into dst while every pixel holds the byte first or second
// (equal to first while no second colour is known); gives the x where it stopped, at the end of
// the row or at a block it cannot decide. Sixteen pixels at a time, and a run of paper sixty-four
// at a time, where the processor has the instructions for it.
inline int packIndexRun(const uchar *src, uchar *dst, int x, int w, uchar first, uchar second)
{
#if defined(__SSE2__)
    // Bit i of a mask is pixel i; a bitmap row holds its first pixel in the highest bit.
    static constexpr std::array<uchar, 256> reversed = [] {
        std::array<uchar, 256> table {};
        for (uint i = 0; i < 256; ++i)
            for (uint b = 0; b < 8; ++b)
                table[i] |= uchar(((i >> b) & 1) << (7 - b));
        return table;
    }();
    const __m128i firsts = _mm_set1_epi8(char(first));
    const __m128i seconds = _mm_set1_epi8(char(second));
    const auto load = [src](int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + at));
    };
    const auto sixteen = [&](int at) {
        const __m128i v = load(at);
        const uint notFirst = uint(_mm_movemask_epi8(_mm_cmpeq_epi8(v, firsts))) ^ 0xFFFFu;
        const uint isSecond = uint(_mm_movemask_epi8(_mm_cmpeq_epi8(v, seconds)));
        if ((notFirst & ~isSecond) != 0) // with no second known, seconds are firsts
            return false;
        dst[at / 8] = reversed[notFirst & 0xFF];
        dst[at / 8 + 1] = reversed[notFirst >> 8];
        return true;
    };
    while (x + 64 <= w) {
        const __m128i paper = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(load(x), firsts), _mm_cmpeq_epi8(load(x + 16), firsts)),
            _mm_and_si128(_mm_cmpeq_epi8(load(x + 32), firsts),
                          _mm_cmpeq_epi8(load(x + 48), firsts)));
        if (_mm_movemask_epi8(paper) == 0xFFFF) {
            std::memset(dst + x / 8, 0, 8);
        } else {
            for (int end = x + 64; x < end; x += 16) {
                if (!sixteen(x))
                    return x;
            }
            continue;
        }
        x += 64;
    }
    for (; x + 16 <= w; x += 16) {
        if (!sixteen(x))
            return x;
    }
#endif
    constexpr quint64 bytes = 0x0101010101010101ULL;
    for (; x + 8 <= w; x += 8) {
        const int eight = indexBits(src + x, first * bytes, second * bytes);
        if (eight < 0)
            return x;
        dst[x / 8] = uchar(eight);
    }
    return x;
}

// Packs the picture into mono (already of its size), a bit set where a pixel is the second
// colour, with the two colours as its table; false when a third colour turns up. A ticket is
// mostly paper: rows and blocks of pixels that all hold the raw value of the first pixel are
// decided by a few wide compares.
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
    uint secondRaw = firstRaw; // stands for no second colour until one is met
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
            secondRaw = raw;
        } else if (c != second) {
            return -1;
        }
        return 1;
    };
    const size_t rowBytes = paper.size();
    const qsizetype monoBytes = mono.bytesPerLine();
    uchar *const bits = mono.bits();
    const int h = mono.height();
    const qsizetype used = (w + 7) / 8;
    for (int y = 0; y < h; ++y) {
        const uchar *src = rowAt(y);
        uchar *dst = bits + y * monoBytes;
        std::memset(dst + used, 0, size_t(monoBytes - used)); // the line's padding
        if (size > 1 && std::memcmp(src, paper.data(), rowBytes) == 0) {
            std::memset(dst, 0, size_t(monoBytes));
            continue;
        }
        for (int x = 0; x < w; x += 8) {
            if constexpr (size == 1) {
                x = packIndexRun(src, dst, x, w, uchar(firstRaw), uchar(secondRaw));
                if (x >= w)
                    break;
            } else if (x + 8 <= w && std::memcmp(src + x * size, paper.data(), 8 * size) == 0) {
                dst[x / 8] = 0;
                continue;
            }
            const uchar *pixels = src + size_t(x) * size;
            uint byte = 0;
            for (int b = 0; b < 8 && x + b < w; ++b) { // bits past the width stay clear
                const int bit = bitOf(pixels + b * size);
                if (bit < 0)
                    return false;
                byte |= uint(bit) << (7 - b);
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
