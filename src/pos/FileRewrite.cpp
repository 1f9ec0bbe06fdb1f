#include "FileRewrite.h"

#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <unistd.h>

namespace {

// Straight to the descriptor: a failed write leaves nothing behind in a buffer.
bool writeWhole(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            return false;
    }
    return ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
}

} // namespace

namespace FileRewrite {

bool rewrite(QFile &file, const QByteArray &oldBytes, const QByteArray &newBytes)
{
    // Overwriting the file itself keeps its identity, which renaming a new file over it would not.
    // Against a write cut short, the old content first goes to a copy beside the file (where the
    // directory takes one): a crash in between leaves that copy, a failed write is undone from
    // memory, and the copy is removed once the new content is on disk.
    QTemporaryFile backup(file.fileName() + QStringLiteral(".XXXXXX.bak"));
    const bool backedUp = backup.open() && writeWhole(backup.handle(), oldBytes);
    if (writeWhole(file.handle(), newBytes))
        return true;
    if (!writeWhole(file.handle(), oldBytes) && backedUp)
        backup.setAutoRemove(false); // the file is damaged: the copy is all that is left
    return false;
}

} // namespace FileRewrite
