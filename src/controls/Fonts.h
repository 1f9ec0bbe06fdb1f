#pragma once

#include <QFont>

// The windows' font: Arial at a character height in pixels.
inline QFont arialFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
