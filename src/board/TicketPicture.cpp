#include "TicketPicture.h"

#include "BmpFastDecode.h"
#include "BmpFields.h"
#include "controls/CompactImage.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdlib>

namespace TicketPicture {

namespace {

struct Header
{
    qint64 dataOffset = 0;
    int infoSize = 0;
    int width = 0;
    int height = 0; // negative: rows stored top-down
    int bpp = 0;
    int compression = 0;
    int colorsUsed = 0;
};

enum Compression { biRgb = 0, biRle8 = 1, biRle4 = 2, biBitfields = 3, biAlphaBitfields = 6 };

using BmpFields::s32;
using BmpFields::u16;

bool readHeader(const QByteArray &b, Header &h)
{
    if (b.size() < 14 + 12 || b[0] != 'B' || b[1] != 'M')
        return false;
    h.dataOffset = static_cast<quint32>(s32(b, 10));
    h.infoSize = s32(b, 14);
    if (h.infoSize == 12) { // the old core header
        h.width = u16(b, 18);
        h.height = u16(b, 20);
        h.bpp = u16(b, 24);
        return true;
    }
    if (h.infoSize < 40 || b.size() < 14 + 40)
        return false;
    h.width = s32(b, 18);
    h.height = s32(b, 22);
    h.bpp = u16(b, 28);
    h.compression = s32(b, 30);
    h.colorsUsed = s32(b, 46);
    return true;
}

QList<QRgb> readPalette(const QByteArray &b, const Header &h)
{
    const int entrySize = h.infoSize == 12 ? 3 : 4;
    const int count = h.colorsUsed > 0 && h.colorsUsed <= 256 ? h.colorsUsed : (1 << h.bpp);
    QList<QRgb> palette;
    qsizetype at = 14 + qsizetype(h.infoSize);
    for (int i = 0; i < count && at + 3 <= b.size() && at + 3 <= h.dataOffset; ++i, at += entrySize)
        palette.append(qRgb(uchar(b[at + 2]), uchar(b[at + 1]), uchar(b[at])));
    palette.resize(256, qRgb(0, 0, 0));
    return palette;
}

// Decodes RLE8 or RLE4 data into a cleared 8-bit picture; false when the data runs out early or
// draws outside the picture.
bool decodeRle(const QByteArray &b, const Header &h, QImage &image)
{
    image = QImage(h.width, h.height, QImage::Format_Indexed8);
    if (image.isNull())
        return false;
    image.setColorTable(readPalette(b, h));
    image.fill(0);
    const bool four = h.compression == biRle4;
    qsizetype at = h.dataOffset;
    int x = 0;
    int y = h.height - 1; // bottom-up
    const auto put = [&](int value) {
        if (x >= h.width || y < 0)
            return false;
        image.scanLine(y)[x++] = uchar(value);
        return true;
    };
    while (at + 2 <= b.size()) {
        const int count = uchar(b[at]);
        const int value = uchar(b[at + 1]);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                const int pixel = four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
                if (!put(pixel))
                    return false;
            }
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            --y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta
            if (at + 2 > b.size())
                return false;
            x += uchar(b[at]);
            y -= uchar(b[at + 1]);
            at += 2;
            if (x > h.width || y < -1)
                return false;
            break;
        default: { // an absolute run of value pixels, padded to a 16-bit boundary
            const int bytes = four ? (value + 1) / 2 : value;
            if (at + bytes > b.size())
                return false;
            for (int i = 0; i < value; ++i) {
                const int byte = uchar(b[at + (four ? i / 2 : i)]);
                const int pixel = four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
                if (!put(pixel))
                    return false;
            }
            at += bytes + (bytes % 2);
            break;
        }
        }
    }
    return false; // the data ended before the end-of-bitmap mark
}

// Thousands set apart by a space, as Swedish writes them: 72 062.
QString grouped(qint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return digits;
}

} // namespace

QString reason(const Result &result)
{
    switch (result.problem) {
    case Problem::None:
        return {};
    case Problem::Empty:
        return QStringLiteral("tom");
    case Problem::NotBitmap:
        return QStringLiteral("inte en bild");
    case Problem::TooLarge:
        return QStringLiteral("för stor");
    case Problem::Truncated:
        if (result.expectedBytes > result.receivedBytes)
            return QStringLiteral("avkortad: %1 av %2 byte")
                .arg(grouped(result.receivedBytes), grouped(result.expectedBytes));
        return QStringLiteral("avkortad");
    case Problem::Unreadable:
        return QStringLiteral("skadad");
    }
    return {};
}

namespace {

// The bytes a file's header promises: its stated size, or at least its pixel rows.
Result truncated(const QByteArray &bytes, qint64 atLeast = 0)
{
    const qint64 stated = bytes.size() >= 6 ? static_cast<quint32>(BmpFields::s32(bytes, 2)) : 0;
    Result r {{}, Problem::Truncated};
    r.expectedBytes = std::max(stated, atLeast);
    r.receivedBytes = bytes.size();
    return r;
}

} // namespace

Result load(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {{}, Problem::Empty};
    Header h;
    if (!readHeader(bytes, h))
        return {{}, Problem::NotBitmap};
    const qint64 rows = std::llabs(h.height);
    if (h.width <= 0 || rows == 0 || h.width > maxWidth || rows > maxHeight
        || qint64(h.width) * rows > maxPixels)
        return {{}, Problem::TooLarge};
    if (h.dataOffset < 14 + qint64(h.infoSize) || h.dataOffset > bytes.size())
        return truncated(bytes);

    QImage image;
    if (h.compression == biRle8 || h.compression == biRle4) {
        if (h.height < 0 || (h.compression == biRle8 ? h.bpp != 8 : h.bpp != 4))
            return {{}, Problem::Unreadable};
        if (!decodeRle(bytes, h, image))
            return truncated(bytes);
        return {CompactImage::compact(image), Problem::None, image.format()};
    }
    if (h.compression == biRgb || h.compression == biBitfields
        || h.compression == biAlphaBitfields) {
        const qint64 rowBytes = ((qint64(h.width) * h.bpp + 31) / 32) * 4;
        if (h.bpp <= 0 || rowBytes * rows > bytes.size() - h.dataOffset)
            return truncated(bytes, h.dataOffset + rowBytes * rows);
    }
    if (const BmpFastDecode::Decoded fast = BmpFastDecode::decode(bytes); !fast.image.isNull())
        return {fast.image, Problem::None, fast.decodedFormat};

    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(maxPixels * 4 / (1024 * 1024)) + 1);
    const QSize header = reader.size(); // its height is negative for rows stored top-down
    const QSize size(header.width(), std::abs(header.height()));
    if (!size.isValid() || size.width() > maxWidth || size.height() > maxHeight)
        return {{}, Problem::TooLarge};
    if (!reader.read(&image) || image.isNull() || image.width() <= 0)
        return {{}, Problem::Unreadable};

    // A colour table shorter than the pixel depth allows would let an index read past it.
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() < 256)
        image.setColorCount(256);
    if ((image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        && image.colorCount() < 2)
        image.setColorCount(2);
    return {CompactImage::compact(image), Problem::None, image.format()};
}

} // namespace TicketPicture
