#include "BmpFastDecode.h"

#include "BmpFields.h"
#include "controls/CompactPixels.h"

#include <climits>
#include <cstring>
#include <utility>

namespace BmpFastDecode {

namespace {

using namespace CompactPixels;

// Where the rows of a file are and how they are read.
struct Layout
{
    int width = 0;
    int rows = 0;
    bool topDown = false;
    int bpp = 0;
    int infoSize = 0;
    int colourCount = 0; // entries of the colour table, 1 to 256; 0 above 8 bits per pixel
    bool alpha = false; // a 32-bit file whose fourth byte Qt reads as alpha
    int dotsX = 0;
    int dotsY = 0;
    const uchar *data = nullptr;
    qsizetype rowBytes = 0;

    const uchar *row(int y) const // top row 0
    {
        return data + qsizetype(topDown ? y : rows - 1 - y) * rowBytes;
    }
};

using BmpFields::s32;
using BmpFields::u16;

// False for every file this reader leaves to Qt's: other headers (Qt reads the 52- and 56-byte
// ones as core headers and refuses them), compression, colour tables that Qt handles apart
// (a 1-bit file without exactly two entries), pixel data that starts inside the colour table
// (Qt then reads it right after the table), and rows that are not all there.
bool readLayout(const QByteArray &b, Layout &l)
{
    if (b.size() < 14 + 40 || b[0] != 'B' || b[1] != 'M')
        return false;
    l.infoSize = s32(b, 14);
    if (l.infoSize != 40 && l.infoSize != 64 && l.infoSize != 108 && l.infoSize != 124)
        return false;
    if (b.size() < 14 + l.infoSize)
        return false;
    const qint32 height = s32(b, 22);
    l.width = s32(b, 18);
    l.bpp = u16(b, 28);
    if (u16(b, 26) != 1 || s32(b, 30) != 0 || l.width <= 0 || height == 0 || height == INT_MIN)
        return false;
    if (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 24 && l.bpp != 32)
        return false;
    l.topDown = height < 0;
    l.rows = l.topDown ? -height : height;
    if (qint64(l.width) * l.rows > 16384LL * 16384) // beyond what Qt's reader takes
        return false;
    if (l.bpp <= 8) {
        const qint32 used = s32(b, 46);
        l.colourCount = used != 0 ? used : 1 << l.bpp;
        if (l.colourCount < 1 || l.colourCount > 256 || (l.bpp == 1 && l.colourCount != 2))
            return false;
    }
    const qint64 dataOffset = static_cast<quint32>(s32(b, 10));
    l.rowBytes = qsizetype((qint64(l.width) * l.bpp + 31) / 32 * 4);
    if (dataOffset < 14 + l.infoSize + 4 * l.colourCount
        || qint64(l.rowBytes) * l.rows > b.size() - dataOffset)
        return false;
    l.data = reinterpret_cast<const uchar *>(b.constData()) + dataOffset;
    l.alpha =
        l.bpp == 32 && l.infoSize >= 108 && static_cast<quint32>(s32(b, 14 + 52)) == 0xFF000000u;
    l.dotsX = s32(b, 38);
    l.dotsY = s32(b, 42);
    return true;
}

QImage framed(const Layout &l, QImage::Format format)
{
    QImage image(l.width, l.rows, format);
    image.setDotsPerMeterX(l.dotsX);
    image.setDotsPerMeterY(l.dotsY);
    return image;
}

// The colour table as Qt reads it, lengthened to 256 entries as TicketPicture keeps it.
QList<QRgb> colourTable(const QByteArray &b, const Layout &l)
{
    QList<QRgb> table(256, 0);
    const uchar *entry = reinterpret_cast<const uchar *>(b.constData()) + 14 + l.infoSize;
    for (int i = 0; i < l.colourCount; ++i, entry += 4)
        table[i] = qRgb(entry[2], entry[1], entry[0]);
    return table;
}

// Qt keeps the darker colour as pixel 1: with the lighter one there, it inverts the bits.
QImage fromOneBit(const QByteArray &b, const Layout &l)
{
    QImage mono = framed(l, QImage::Format_Mono);
    if (mono.isNull())
        return mono;
    QList<QRgb> table = colourTable(b, l).first(2);
    const bool swap = qGray(table[0]) < qGray(table[1]);
    const qsizetype rowBytes = l.rowBytes; // the same as the picture's
    uchar *const bits = mono.bits();
    for (int y = 0; y < l.rows; ++y) {
        const uchar *src = l.row(y);
        uchar *dst = bits + y * rowBytes;
        if (!swap) {
            std::memcpy(dst, src, size_t(rowBytes));
            continue;
        }
        for (qsizetype i = 0; i < rowBytes; ++i)
            dst[i] = uchar(~src[i]);
    }
    if (swap)
        std::swap(table[0], table[1]);
    mono.setColorTable(table);
    return mono;
}

// Two colours through the table at one bit per pixel, else the indices as they are.
QImage fromIndices(const QByteArray &b, const Layout &l)
{
    const QList<QRgb> table = colourTable(b, l);
    const std::array<QRgb, 256> colours = indexColours(table);
    const auto colourOf = [&colours](uint index) {
        return colours[index];
    };
    QImage indexed;
    if (l.bpp == 4) { // unpacked first, as Qt does, with the row ends cleared
        indexed = framed(l, QImage::Format_Indexed8);
        if (indexed.isNull())
            return indexed;
        for (int y = 0; y < l.rows; ++y) {
            const uchar *src = l.row(y);
            uchar *dst = indexed.scanLine(y);
            std::memset(dst, 0, size_t(indexed.bytesPerLine()));
            for (int x = 0; x < l.width; ++x)
                dst[x] = x % 2 == 0 ? src[x / 2] >> 4 : src[x / 2] & 0x0F;
        }
    }
    const auto rowAt = [&](int y) {
        return l.bpp == 4 ? indexed.constScanLine(y) : l.row(y);
    };
    QImage mono = framed(l, QImage::Format_Mono);
    if (!mono.isNull() && packTwoColours<Index8>(mono, rowAt, colourOf))
        return mono;
    if (l.bpp == 8) {
        indexed = framed(l, QImage::Format_Indexed8);
        if (indexed.isNull())
            return indexed;
        for (int y = 0; y < l.rows; ++y)
            std::memcpy(indexed.scanLine(y), l.row(y), size_t(l.rowBytes));
    }
    indexed.setColorTable(table);
    return indexed;
}

// Two colours at one bit per pixel, up to 256 at eight, more unpacked as Qt unpacks them.
template<typename Reader> QImage fromTrueColour(const Layout &l)
{
    const QRgb opaque = l.alpha ? 0 : 0xFF000000;
    const auto colourOf = [opaque](uint raw) {
        return QRgb(raw | opaque);
    };
    const auto rowAt = [&l](int y) {
        return l.row(y);
    };
    if (QImage mono = framed(l, QImage::Format_Mono);
        !mono.isNull() && packTwoColours<Reader>(mono, rowAt, colourOf))
        return mono;
    Palette palette;
    if (learnColours<Reader>(QSize(l.width, l.rows), rowAt, colourOf, palette)) {
        QImage indexed = framed(l, QImage::Format_Indexed8);
        if (!indexed.isNull())
            packIndices<Reader>(indexed, rowAt, colourOf, palette);
        return indexed;
    }
    QImage decoded = framed(l, l.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (decoded.isNull())
        return decoded;
    for (int y = 0; y < l.rows; ++y) {
        const uchar *src = l.row(y);
        auto *dst = reinterpret_cast<QRgb *>(decoded.scanLine(y));
        for (int x = 0; x < l.width; ++x)
            dst[x] = colourOf(Reader::read(src + size_t(x) * Reader::size));
    }
    return decoded;
}

} // namespace

Decoded decode(const QByteArray &bytes)
{
    Layout l;
    if (!readLayout(bytes, l))
        return {};
    switch (l.bpp) {
    case 1:
        return {fromOneBit(bytes, l), QImage::Format_Mono};
    case 4:
    case 8:
        return {fromIndices(bytes, l), QImage::Format_Indexed8};
    case 24:
        return {fromTrueColour<Bgr24>(l), QImage::Format_RGB32};
    default:
        return {fromTrueColour<Bgra32>(l), l.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32};
    }
}

} // namespace BmpFastDecode
