#include "PrivateSettingsFile.h"

#include "pos/IniFile.h"
#include "pos/TavlixError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t privateMode = 0640;

[[noreturn]] void refuse(const QString &path, const QString &why)
{
    throw TavlixError(QStringLiteral("%1: %2").arg(path, why));
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof(chunk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(chunk, n);
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

void writePrivateSettings(const QString &path, const QString &section,
                          const QList<QPair<QString, QString>> &entries)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT)
        fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    privateMode);
    if (fd < 0) {
        refuse(path,
               errno == ELOOP ? QStringLiteral("a link stands there; it is not followed")
                              : QString::fromLocal8Bit(std::strerror(errno)));
    }
    const Descriptor file(fd);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        refuse(path, QStringLiteral("not a regular file; it is left alone"));
    if (st.st_nlink > 1)
        refuse(path, QStringLiteral("the file has other names (hard links); it is left alone"));
    // Narrowed before anything is read or written, whatever the umask made of it.
    if (::fchmod(fd, privateMode) != 0)
        refuse(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (::geteuid() == 0) {
        const group *board = ::getgrnam("tavlix");
        if (::fchown(fd, 0, board ? board->gr_gid : st.st_gid) != 0)
            refuse(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    QByteArray bytes = readAll(fd);
    for (const auto &[key, value] : entries)
        bytes = IniFile::withEntry(bytes, section, key, value);
    if (::ftruncate(fd, 0) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        refuse(path, QStringLiteral("Unable to write"));
}
