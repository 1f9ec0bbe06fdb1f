#pragma once

#include <QString>

// HH:MM:SS of a number of seconds; clocks show its first five characters.
QString ClockText(int seconds);

// text brought to exactly width characters: zeros in front, or cut after width characters.
QString PadZeros(int width, const QString &text);

QString BoolToJN(bool flag);
// True only for exactly "J".
bool JNToBool(const QString &text);

// A whole decimal number, or TavlixError "'text' is not a valid integer value".
int StrToInt(const QString &text);
// A whole decimal number, or def when text is not one.
int StrToIntDef(const QString &text, int def);
