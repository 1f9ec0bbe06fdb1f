#pragma once

#include <QByteArray>

class QFile;

namespace FileRewrite {

// Replaces the content of a file opened for reading and writing with bytes, in place: the file
// keeps its owner, group, permissions and hard links, and a writable file in a directory that
// takes no new file can still be written. oldBytes is its present content. Returns false when the
// new content could not be written whole; the old content is then written back.
bool rewrite(QFile &file, const QByteArray &oldBytes, const QByteArray &newBytes);

} // namespace FileRewrite
