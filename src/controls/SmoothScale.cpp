#include "SmoothScale.h"

#include <algorithm>

SmoothScale::SmoothScale(QSize source, QSize target, const QRect &area)
    : m_area(area & QRect(QPoint(0, 0), target))
{
    if (m_area.isEmpty() || source.isEmpty())
        return;
    m_x = axis(source.width(), target.width(), m_area.left(), m_area.right() + 1);
    m_y = axis(source.height(), target.height(), m_area.top(), m_area.bottom() + 1);
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

QImage SmoothScale::scaled(const QImage &part) const
{
    if (m_area.isEmpty() || part.size() != m_sourceRect.size())
        return QImage();
    const QImage src = part.convertToFormat(QImage::Format_RGB32);
    const int w = m_area.width();
    const int h = m_area.height();
    const std::size_t rowSize = std::size_t(w) * 3;

    // Across first: each source row the part needs, stretched to the part's width, in
    // weightOne times the channel values.
    std::vector<quint32> across(std::size_t(m_sourceRect.height()) * rowSize);
    for (int r = 0; r < m_sourceRect.height(); ++r) {
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(r));
        quint32 *out = across.data() + r * rowSize;
        for (int x = 0; x < w; ++x) {
            const Tap &tap = m_x.taps[x];
            const QRgb *pixel = line + (tap.first - m_x.firstSource);
            const int *weight = m_x.weights.data() + tap.weights;
            quint32 red = 0;
            quint32 green = 0;
            quint32 blue = 0;
            for (int k = 0; k < tap.count; ++k) {
                red += quint32(qRed(pixel[k])) * weight[k];
                green += quint32(qGreen(pixel[k])) * weight[k];
                blue += quint32(qBlue(pixel[k])) * weight[k];
            }
            out[3 * x] = red;
            out[3 * x + 1] = green;
            out[3 * x + 2] = blue;
        }
    }

    // Then down: each target row from the stretched source rows.
    QImage result(w, h, QImage::Format_RGB32);
    if (result.isNull())
        return result;
    constexpr quint32 half = 1u << (2 * weightBits - 1);
    std::vector<quint32> sum(rowSize);
    for (int y = 0; y < h; ++y) {
        const Tap &tap = m_y.taps[y];
        const int *weight = m_y.weights.data() + tap.weights;
        std::fill(sum.begin(), sum.end(), half);
        for (int k = 0; k < tap.count; ++k) {
            const quint32 *row = across.data() + (tap.first - m_y.firstSource + k) * rowSize;
            const quint32 wk = weight[k];
            for (std::size_t c = 0; c < rowSize; ++c)
                sum[c] += row[c] * wk;
        }
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const auto channel = [&](int c) {
                return std::min<quint32>(255, sum[3 * x + c] >> (2 * weightBits));
            };
            line[x] = qRgb(channel(0), channel(1), channel(2));
        }
    }
    return result;
}
