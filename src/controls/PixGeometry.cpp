#include "PixGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace PixGeometry {

int nearest(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode ties to even
}

QRect drawingRect(int pw, int ph, int cw, int ch, bool stretch, bool proportional, bool center)
{
    int w = pw;
    int h = ph;
    if (stretch || (proportional && (pw > cw || ph > ch))) {
        if (proportional && pw > 0 && ph > 0) {
            const double r = static_cast<double>(pw) / ph;
            if (pw > ph) {
                w = cw;
                h = static_cast<int>(cw / r);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * r);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * r);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / r);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    QRect r(0, 0, w, h);
    if (center)
        r.translate((cw - w) / 2, (ch - h) / 2);
    return r;
}

Displayed scaledSize(int pictureWidth, int pictureHeight, int scale)
{
    return {nearest(static_cast<double>(pictureWidth * scale) / 100),
            nearest(static_cast<double>(scale * pictureHeight) / 100), scale};
}

Displayed fittedSize(int pw, int ph, int w, int h, bool onlyBig, int scale)
{
    Displayed d {pw, ph, scale};
    if (onlyBig && w >= pw && h >= ph) {
        d.scale = 100;
        return d;
    }
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0)
        return d;
    const double pr = static_cast<double>(pw) / ph;
    if (static_cast<double>(w) / h >= pr) {
        d.width = static_cast<int>(h * pr);
        d.height = h;
        d.scale = h * 100 / ph;
    } else {
        d.width = w;
        d.height = static_cast<int>(w / pr);
        d.scale = w * 100 / pw;
    }
    return d;
}

std::optional<int> stepScale(int scale, bool up)
{
    static constexpr std::array<int, 30> steps = {
        7,   10,  15,  20,  25,  30,  40,  50,  60,  70,  80,  90,   100,  125,  150,
        175, 200, 250, 300, 350, 400, 450, 500, 600, 700, 800, 1000, 1200, 1400, 1600};
    if (up) {
        const auto it = std::upper_bound(steps.begin(), steps.end(), scale);
        if (it == steps.end())
            return std::nullopt;
        return *it;
    }
    const auto it = std::lower_bound(steps.begin(), steps.end(), scale);
    if (it == steps.begin())
        return std::nullopt;
    return *(it - 1);
}

int pageStep(int n)
{
    return std::max(n - 20, (n / 3) * 2);
}

} // namespace PixGeometry
