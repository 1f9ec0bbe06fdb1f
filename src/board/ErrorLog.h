#pragma once

#include <QDateTime>
#include <QString>

// "yyyy-mm-dd hh:mm Fel: message": the date always with hyphens, the time with timeSeparator.
QString logEntry(const QDateTime &when, QChar timeSeparator, const QString &message);

// The locale's separator between hours and minutes (':' when the locale shows none).
QChar systemTimeSeparator();

// Appends one entry with CR LF to InstallDir + "tavlix.log". The file is open only while the entry
// is written. Throws TavlixError when the log cannot be written.
void LogError(const QString &message);
