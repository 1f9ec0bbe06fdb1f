#pragma once

#include <QDateTime>

#include <functional>

// Date-times as days since 1899-12-30 with the time of day as the fraction, on the local clock.
double toDays(const QDateTime &localTime);

// Whole seconds from earlier to later (negative when later lies before earlier); the difference
// is rounded to the millisecond first, then the milliseconds are dropped.
int ElapsedSeconds(double later, double earlier);
int ElapsedSeconds(const QDateTime &later, const QDateTime &earlier);

// What a responsive wait reads and runs; tests replace both so that no real time passes.
struct WaitHooks
{
    std::function<qint64()> clockMs; // a monotonic millisecond clock
    // Handles every pending event once; when none is pending, first sleeps until one arrives
    // or maxWaitMs have passed.
    std::function<void(qint64 maxWaitMs)> handleEvents;
};

WaitHooks defaultWaitHooks();

// Returns once at least milliseconds have passed, handling events in every round, so that timers
// and input go on during the wait. Between events the thread sleeps, bounded by the time left.
void WaitResponsive(int milliseconds, const WaitHooks &hooks = defaultWaitHooks());
