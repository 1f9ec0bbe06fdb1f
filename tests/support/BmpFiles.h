#pragma once

#include <QByteArray>
#include <QImage>
#include <QtEndian>

#include <cstring>

// Windows bitmap files of the uncompressed kinds a reader meets, for comparing readers.
struct BmpKind
{
    int depth = 24; // 1, 4, 8, 24 or 32
    int infoSize = 40; // 40, 64, 108 or 124
    bool topDown = false;
    int colours = 0; // table entries written and announced; 0: as many as the depth allows
    bool alpha = false; // 32 bits: a v4 or later header whose alpha mask takes the fourth byte
    bool noisyFourthByte = false; // 32 bits without alpha: the fourth byte varies
    bool bitfields = false; // 32 bits: BI_BITFIELDS with the usual masks after a 40-byte header
};

namespace BmpFiles {

inline void put16(QByteArray &b, qsizetype at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}

inline void put32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// The file of picture: an Indexed8 picture (its indices and table) up to 8 bits per pixel, its
// colours above.
inline QByteArray file(const QImage &picture, const BmpKind &kind)
{
    const int w = picture.width();
    const int h = picture.height();
    const int entries = kind.depth > 8 ? 0 : kind.colours > 0 ? kind.colours : 1 << kind.depth;
    const int masks = kind.bitfields ? 12 : 0;
    const int rowBytes = ((w * kind.depth + 31) / 32) * 4;
    const int dataOffset = 14 + kind.infoSize + masks + entries * 4;
    QByteArray b(dataOffset + rowBytes * h, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, quint32(b.size()));
    put32(b, 10, quint32(dataOffset));
    put32(b, 14, quint32(kind.infoSize));
    put32(b, 18, quint32(w));
    put32(b, 22, quint32(kind.topDown ? -h : h));
    put16(b, 26, 1);
    put16(b, 28, quint16(kind.depth));
    put32(b, 30, kind.bitfields ? 3 : 0);
    put32(b, 34, quint32(rowBytes * h));
    put32(b, 38, 3780);
    put32(b, 42, 3780);
    put32(b, 46, quint32(kind.colours));
    if (kind.infoSize >= 108 || kind.bitfields) {
        put32(b, 54, 0x00FF0000);
        put32(b, 58, 0x0000FF00);
        put32(b, 62, 0x000000FF);
        if (kind.infoSize >= 108)
            put32(b, 66, kind.alpha ? 0xFF000000 : 0);
    }
    const QList<QRgb> table = picture.colorTable();
    for (int i = 0; i < entries; ++i)
        put32(b, 14 + kind.infoSize + masks + i * 4, i < table.size() ? table[i] & 0xFFFFFF : 0);
    for (int y = 0; y < h; ++y) {
        uchar *row = reinterpret_cast<uchar *>(b.data()) + dataOffset
            + qsizetype(kind.topDown ? y : h - 1 - y) * rowBytes;
        const uchar *indices = picture.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            switch (kind.depth) {
            case 1:
                row[x / 8] |= uchar((indices[x] & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= uchar((indices[x] & 0x0F) << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[x] = indices[x];
                break;
            default: {
                const QRgb c = picture.pixel(x, y);
                uchar *p = row + x * (kind.depth / 8);
                p[0] = uchar(qBlue(c));
                p[1] = uchar(qGreen(c));
                p[2] = uchar(qRed(c));
                if (kind.depth == 32)
                    p[3] = uchar(kind.alpha ? qAlpha(c) : kind.noisyFourthByte ? x * 37 + y : 0);
            }
            }
        }
    }
    return b;
}

// The same file with its rows stored top-down.
inline QByteArray topDown(const QByteArray &bottomUp)
{
    const qint32 width = qFromLittleEndian<qint32>(bottomUp.constData() + 18);
    const qint32 height = qFromLittleEndian<qint32>(bottomUp.constData() + 22);
    const int depth = qFromLittleEndian<quint16>(bottomUp.constData() + 28);
    const qint32 dataOffset = qFromLittleEndian<qint32>(bottomUp.constData() + 10);
    const qsizetype rowBytes = ((qsizetype(width) * depth + 31) / 32) * 4;
    QByteArray b = bottomUp;
    for (int y = 0; y < height; ++y)
        std::memcpy(b.data() + dataOffset + y * rowBytes,
                    bottomUp.constData() + dataOffset + (height - 1 - y) * rowBytes,
                    size_t(rowBytes));
    put32(b, 22, quint32(-height));
    return b;
}

} // namespace BmpFiles
