#include "TimeUtils.h"

#include <cmath>

namespace {

const qint64 epochJulianDay = QDate(1899, 12, 30).toJulianDay();

} // namespace

double toDays(const QDateTime &localTime)
{
    const QDateTime t = localTime.toLocalTime();
    return static_cast<double>(t.date().toJulianDay() - epochJulianDay)
        + t.time().msecsSinceStartOfDay() / 86400000.0;
}

int ElapsedSeconds(double later, double earlier)
{
    const double d = later - earlier;
    const int sign = d >= 0 ? 1 : -1;
    const auto ms = static_cast<qint64>(std::llround(std::fabs(d) * 86400000.0));
    return sign * static_cast<int>(ms / 1000);
}

int ElapsedSeconds(const QDateTime &later, const QDateTime &earlier)
{
    return ElapsedSeconds(toDays(later), toDays(earlier));
}
