#pragma once

#include <QColor>

// The waiting-time limits in seconds and the three sample colours of the footers.
struct AgeLimits
{
    int gronsek = 280;
    int gulsek = 500;
    int rodsek = 1000;
};

struct AgeColors
{
    QColor green;
    QColor yellow;
    QColor red;
};

// Green below GRONSEK, yellow above GULSEK, red above RODSEK, a later test overriding an earlier
// one. From GRONSEK to GULSEK none of the tests holds: the ticket is not late yet, so it stays
// green.
QColor AgeColor(int age, const AgeLimits &limits, const AgeColors &colors);
