#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Writes entries (key, value) into one section of the connection settings file so that no one
// but its owner and the board's group can read it, at any moment: a new file is created with its
// final mode (0640); an existing one is opened without following a link, must be a regular file
// with no other name, and is narrowed to that mode before anything is read or written. Run as
// root, the file belongs to root and the group "tavlix" (when that group exists). Other content
// of the file stays as it was. Throws TavlixError with what was refused.
void writePrivateSettings(const QString &path, const QString &section,
                          const QList<QPair<QString, QString>> &entries);
