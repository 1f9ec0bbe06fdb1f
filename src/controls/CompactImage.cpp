#include "CompactImage.h"

#include "CompactPixels.h"

namespace CompactImage {

namespace {

using namespace CompactPixels;

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

template<typename Reader, typename ColourOf>
QImage compacted(const QImage &decoded, ColourOf colourOf)
{
    const auto rowAt = [&decoded](int y) {
        return decoded.constScanLine(y);
    };
    QImage mono = sameFrame(decoded, QImage::Format_Mono);
    if (!mono.isNull() && packTwoColours<Reader>(mono, rowAt, colourOf))
        return mono;
    if (decoded.format() == QImage::Format_Indexed8) // kept as it is
        return decoded;
    Palette palette;
    if (!learnColours<Reader>(decoded.size(), rowAt, colourOf, palette))
        return decoded;
    QImage indexed = sameFrame(decoded, QImage::Format_Indexed8);
    if (indexed.isNull())
        return decoded;
    packIndices<Reader>(indexed, rowAt, colourOf, palette);
    return indexed;
}

} // namespace

QImage compact(const QImage &decoded)
{
    if (decoded.isNull())
        return decoded;
    switch (decoded.format()) {
    case QImage::Format_RGB32:
        return compacted<Native32>(decoded, [](QRgb raw) { return raw | 0xFF000000; });
    case QImage::Format_ARGB32:
        return compacted<Native32>(decoded, [](QRgb raw) { return raw; });
    case QImage::Format_Indexed8: {
        const std::array<QRgb, 256> colours = indexColours(decoded.colorTable());
        return compacted<Index8>(decoded, [&colours](uint index) { return colours[index]; });
    }
    default: // already one bit per pixel, or a form no ticket comes in
        return decoded;
    }
}

} // namespace CompactImage
