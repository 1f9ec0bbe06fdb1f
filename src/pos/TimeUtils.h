#pragma once

#include <QDateTime>

// Date-times as days since 1899-12-30 with the time of day as the fraction, on the local clock.
double toDays(const QDateTime &localTime);

// Whole seconds from earlier to later (negative when later lies before earlier); the difference
// is rounded to the millisecond first, then the milliseconds are dropped.
int ElapsedSeconds(double later, double earlier);
int ElapsedSeconds(const QDateTime &later, const QDateTime &earlier);
