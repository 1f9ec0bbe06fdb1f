#pragma once

#include <QImage>
#include <QRect>

#include <vector>

// A smoothing stretch that can make any part of the scaled picture on its own: each target pixel
// is computed from its own position only, so a part is pixel for pixel what scaling the whole
// picture gives there. Shrinking averages the covered source area; enlarging interpolates
// between the nearest source pixels.
class SmoothScale
{
public:
    // area: the part wanted, in the coordinates of the whole scaled picture of size target.
    SmoothScale(QSize source, QSize target, const QRect &area);

    // The source pixels the part is made from.
    QRect sourceRect() const { return m_sourceRect; }
    // part holds the opaque source pixels of sourceRect(); the result is area's size.
    QImage scaled(const QImage &part) const;

private:
    static constexpr int weightBits = 10;
    static constexpr int weightOne = 1 << weightBits;

    // One target pixel along one axis: count source pixels from first, with weights summing
    // to weightOne.
    struct Tap
    {
        int first = 0;
        int count = 0;
        int weights = 0; // index of its first weight
    };
    struct Axis
    {
        std::vector<Tap> taps;
        std::vector<int> weights;
        int firstSource = 0;
        int endSource = 0;
    };
    static Axis axis(int source, int target, int from, int to);

    QRect m_area;
    bool m_acrossFirst = true;
    QRect m_sourceRect;
    Axis m_x;
    Axis m_y;
};
