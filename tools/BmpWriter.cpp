#include "BmpWriter.h"

#include <QtEndian>

namespace {

void put16(QByteArray &out, quint16 v)
{
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&le), 2);
}

void put32(QByteArray &out, quint32 v)
{
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&le), 4);
}

} // namespace

QByteArray bmpBytes(const QImage &source, int depth)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    const int colors = depth == 1 ? 2 : depth == 8 ? 256 : 0;
    const int rowBytes = ((w * depth + 31) / 32) * 4;
    const quint32 dataOffset = 14 + 40 + colors * 4;

    QByteArray out;
    out.reserve(dataOffset + rowBytes * h);
    out.append("BM", 2);
    put32(out, dataOffset + rowBytes * h);
    put32(out, 0);
    put32(out, dataOffset);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, depth);
    put32(out, 0); // BI_RGB
    put32(out, rowBytes * h);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, colors);
    put32(out, 0);
    for (int i = 0; i < colors; ++i) {
        const int level = depth == 1 ? i * 255 : i;
        put32(out, qRgb(level, level, level) & 0xFFFFFF);
    }

    QByteArray row(rowBytes, '\0');
    for (int y = h - 1; y >= 0; --y) {
        row.fill('\0');
        const auto *px = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        auto *dst = reinterpret_cast<uchar *>(row.data());
        for (int x = 0; x < w; ++x) {
            const int grey = qGray(px[x]);
            switch (depth) {
            case 1:
                if (grey >= 128)
                    dst[x / 8] |= uchar(0x80 >> (x % 8));
                break;
            case 8:
                dst[x] = uchar(grey);
                break;
            case 24:
                dst[x * 3] = uchar(qBlue(px[x]));
                dst[x * 3 + 1] = uchar(qGreen(px[x]));
                dst[x * 3 + 2] = uchar(qRed(px[x]));
                break;
            default:
                dst[x * 4] = uchar(qBlue(px[x]));
                dst[x * 4 + 1] = uchar(qGreen(px[x]));
                dst[x * 4 + 2] = uchar(qRed(px[x]));
                dst[x * 4 + 3] = 0;
                break;
            }
        }
        out.append(row);
    }
    return out;
}
