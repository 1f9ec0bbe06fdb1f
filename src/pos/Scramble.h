#pragma once

#include <QString>

// The scrambled form of the stored database password. Mode "E" scrambles text under key, mode
// "D" unscrambles it; any other mode gives the empty text. Mode "D" throws TavlixError
// "'$xx' is not a valid integer value" for a pair that is not hexadecimal.
QString Scramble(const QString &mode, const QString &text, const QString &key);
