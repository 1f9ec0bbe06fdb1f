#include "SmoothScale.h"

#include <algorithm>

SmoothScale::SmoothScale(QSize source, QSize target, const QRect &area)
    : m_area(area & QRect(QPoint(0, 0), target))
{
    if (m_area.isEmpty() || source.isEmpty())
        return;
    m_x = axis(source.width(), target.width(), m_area.left(), m_area.right() + 1);
    m_y = axis(source.height(), target.height(), m_area.top(), m_area.bottom() + 1);
    m_acrossFirst = target.height() >= source.height();
    m_sourceRect = QRect(m_x.firstSource, m_y.firstSource, m_x.endSource - m_x.firstSource,
                         m_y.endSource - m_y.firstSource);
}

SmoothScale::Axis SmoothScale::axis(int source, int target, int from, int to)
{
    Axis a;
    a.firstSource = source;
    a.taps.reserve(to - from);
    const qint64 s = source;
    const qint64 d = target;
    for (int i = from; i < to; ++i) {
        Tap tap;
        tap.weights = static_cast<int>(a.weights.size());
        if (d >= s) {
            // Enlarging: between the two source pixels around the target pixel's centre, which
            // lies at ((2i + 1) s - d) / 2d in source pixels.
            const qint64 num = (2 * i + 1) * s - d;
            const qint64 den = 2 * d;
            qint64 k = 0;
            int next = 0;
            if (num > 0) {
                k = num / den;
                next = static_cast<int>(((num % den) * weightOne * 2 + den) / (2 * den));
                if (k >= s - 1) {
                    k = s - 1;
                    next = 0;
                }
            }
            tap.first = static_cast<int>(k);
            a.weights.push_back(weightOne - next);
            if (next > 0)
                a.weights.push_back(next);
        } else {
            // Shrinking: every source pixel the target pixel covers, by the share it covers.
            // Positions in 1/d of a source pixel: the target pixel spans [i s, (i + 1) s).
            const qint64 begin = i * s;
            const qint64 end = begin + s;
            const qint64 first = begin / d;
            const qint64 last = (end + d - 1) / d; // one past
            tap.first = static_cast<int>(first);
            int sum = 0;
            std::size_t largest = a.weights.size();
            int largestWeight = -1;
            for (qint64 k = first; k < last; ++k) {
                const qint64 covered = std::min(end, (k + 1) * d) - std::max(begin, k * d);
                const int w = static_cast<int>((covered * weightOne * 2 + s) / (2 * s));
                if (w > largestWeight) {
                    largestWeight = w;
                    largest = a.weights.size();
                }
                a.weights.push_back(w);
                sum += w;
            }
            a.weights[largest] += weightOne - sum; // the rounding goes to the largest share
        }
        tap.count = static_cast<int>(a.weights.size()) - tap.weights;
        a.firstSource = std::min(a.firstSource, tap.first);
        a.endSource = std::max(a.endSource, tap.first + tap.count);
        a.taps.push_back(tap);
    }
    return a;
}

namespace {

// Values are the four bytes of each pixel (the unused fourth one too), so that the loops stay
// simple enough for the compiler to vectorise.

// One row of sums down a column of input rows: row k of the tap at input + k * stride.
template<typename In>
void sumDown(const In *input, std::size_t stride, std::size_t values, const int *weights, int count,
             quint32 *out)
{
    std::fill(out, out + values, 0u);
    for (int k = 0; k < count; ++k) {
        const In *row = input + k * stride;
        const quint32 w = weights[k];
        for (std::size_t i = 0; i < values; ++i)
            out[i] += row[i] * w;
    }
}

// One row of sums across: each target pixel from the input pixels of its tap.
template<typename In, typename Tap>
void sumAcross(const In *input, int firstSource, const std::vector<Tap> &taps,
               const std::vector<int> &weights, quint32 *out)
{
    for (const Tap &tap : taps) {
        const In *pixel = input + 4 * std::size_t(tap.first - firstSource);
        const int *weight = weights.data() + tap.weights;
        quint32 sum[4] = {0, 0, 0, 0};
        for (int k = 0; k < tap.count; ++k, pixel += 4) {
            for (int c = 0; c < 4; ++c)
                sum[c] += pixel[c] * quint32(weight[k]);
        }
        for (int c = 0; c < 4; ++c)
            *out++ = sum[c];
    }
}

} // namespace

QImage SmoothScale::scaled(const QImage &part) const
{
    if (m_area.isEmpty() || part.size() != m_sourceRect.size())
        return QImage();
    const QImage src = part.convertToFormat(QImage::Format_RGB32);
    const int w = m_area.width();
    const int h = m_area.height();
    QImage result(w, h, QImage::Format_RGB32);
    if (result.isNull())
        return result;
    const std::size_t rowValues = std::size_t(w) * 4;
    const std::size_t sourceValues = std::size_t(m_sourceRect.width()) * 4;
    const auto sourceRow = [&](int y) {
        return src.constScanLine(y - m_y.firstSource);
    };
    const std::size_t sourceStride = src.bytesPerLine();

    // The pass across works pixel by pixel, the pass down on whole rows: across goes first
    // only where it has fewer rows to work on, when enlarging down. The order follows the
    // whole picture's scale alone, so every part is computed alike.
    std::vector<quint32> sums(rowValues);
    const auto put = [&](int y) {
        // With the weights of each pass summing to weightOne, a sum shifted back is at most 255.
        uchar *bytes = result.scanLine(y);
        for (std::size_t i = 0; i < rowValues; ++i)
            bytes[i] = uchar((sums[i] + (1u << (2 * weightBits - 1))) >> (2 * weightBits));
        auto *line = reinterpret_cast<QRgb *>(bytes);
        for (int x = 0; x < w; ++x)
            line[x] |= 0xFF000000u;
    };
    if (m_acrossFirst) {
        std::vector<quint32> across(std::size_t(m_sourceRect.height()) * rowValues);
        for (int r = 0; r < m_sourceRect.height(); ++r)
            sumAcross(src.constScanLine(r), m_x.firstSource, m_x.taps, m_x.weights,
                      across.data() + r * rowValues);
        for (int y = 0; y < h; ++y) {
            const Tap &tap = m_y.taps[y];
            sumDown(across.data() + (tap.first - m_y.firstSource) * rowValues, rowValues, rowValues,
                    m_y.weights.data() + tap.weights, tap.count, sums.data());
            put(y);
        }
    } else {
        std::vector<quint32> down(sourceValues);
        for (int y = 0; y < h; ++y) {
            const Tap &tap = m_y.taps[y];
            sumDown(sourceRow(tap.first), sourceStride, sourceValues,
                    m_y.weights.data() + tap.weights, tap.count, down.data());
            sumAcross(down.data(), m_x.firstSource, m_x.taps, m_x.weights, sums.data());
            put(y);
        }
    }
    return result;
}
