#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte character set of every settings and log file.
namespace Cp1252 {

QString decode(const QByteArray &bytes);
// Characters the code page cannot hold become '?'.
QByteArray encode(const QString &text);

// One character's code, 0 to 255 ('?' for characters outside the code page).
unsigned char code(QChar c);
QChar character(unsigned char code);

} // namespace Cp1252
