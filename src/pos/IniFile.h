#pragma once

#include <QByteArray>
#include <QString>

// Initialization files ("SPISKO.INI", "krumel.ini", "SETTINGS.INI"), read and edited as the
// Windows profile functions of the point-of-sale programs do: Windows-1252 text, or UTF-16LE when
// the file begins with that byte-order mark; lines end with CR LF, LF or a lone CR. A line
// "[SECTION]" (the closing bracket may be missing) opens a section, "KEY=VALUE" is an entry, and a
// line whose first non-blank character is ';' is a comment. Names match without regard to case;
// the names a caller passes lose leading and trailing spaces.
namespace IniFile {

// The value of key in section, with surrounding blanks and one pair of enclosing quotes removed;
// def without its trailing spaces when the file, the section or the key is missing.
QString readString(const QString &path, const QString &section, const QString &key,
                   const QString &def);

// Sets one entry and writes the file at once. The value stays on one line: its line breaks are
// written as spaces. An existing value is replaced in its place, a missing key is added after the
// last entry of its section, a missing section at the end of the file; every other byte stays as
// it was. An existing file is rewritten in place, so that it keeps its owner, permissions and
// hard links; a failed write leaves it as it was. Throws TavlixError "Unable to write to <path>".
void writeString(const QString &path, const QString &section, const QString &key,
                 const QString &value);

// The same edit on a file's content in memory, for a caller that writes the file itself.
QByteArray withEntry(const QByteArray &bytes, const QString &section, const QString &key,
                     const QString &value);

} // namespace IniFile
