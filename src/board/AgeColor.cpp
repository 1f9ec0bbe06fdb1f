#include "AgeColor.h"

QColor AgeColor(int age, const AgeLimits &limits, const AgeColors &colors)
{
    QColor color = colors.green;
    if (age < limits.gronsek)
        color = colors.green;
    if (age > limits.gulsek)
        color = colors.yellow;
    if (age > limits.rodsek)
        color = colors.red;
    return color;
}
