#include "TimeUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>
#include <limits>

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

WaitHooks defaultWaitHooks()
{
    return {[] {
                static QElapsedTimer clock;
                if (!clock.isValid())
                    clock.start();
                return clock.elapsed();
            },
            [](qint64 maxWaitMs) {
                if (maxWaitMs <= 0) {
                    QCoreApplication::processEvents(QEventLoop::AllEvents);
                    return;
                }
                // The timer's tick is an event too, so the sleep ends by then at the latest.
                QTimer wake;
                wake.setTimerType(Qt::PreciseTimer);
                wake.setSingleShot(true);
                wake.start(int(qMin<qint64>(maxWaitMs, std::numeric_limits<int>::max())));
                QCoreApplication::processEvents(QEventLoop::AllEvents
                                                | QEventLoop::WaitForMoreEvents);
            }};
}

void WaitResponsive(int milliseconds, const WaitHooks &hooks)
{
    const qint64 start = hooks.clockMs();
    qint64 remaining = milliseconds;
    do {
        hooks.handleEvents(qMax<qint64>(remaining, 0));
        remaining = milliseconds - (hooks.clockMs() - start);
    } while (remaining > 0);
}
