#pragma once

#include <QByteArray>
#include <QString>

// The optional PIN that keeps the cook out of the settings window and from closing the board.
// It is stored in InstallDir + "kiosk.ini", section KIOSK, key PIN, as a salted hash that is slow
// to try by the million: "salt:hash", both hexadecimal. The PIN itself is never stored.
namespace KioskPin {

QString settingsFile();

// The stored entry, empty when no PIN is set (or the file cannot be read).
QString stored();
// Also true when the file is there but cannot be read: the PIN cannot be checked then, and the
// way stays shut until the file is mended.
bool isSet();

// A new entry for pin, with a fresh salt.
QString entryFor(const QString &pin);
// Whether pin is the one entry was made for; an entry of another form matches nothing.
bool matches(const QString &entry, const QString &pin);

} // namespace KioskPin
