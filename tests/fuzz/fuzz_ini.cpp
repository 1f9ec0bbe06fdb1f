// Arbitrary bytes as a hand-edited settings file: reading never fails, and an entry written into
// the file reads back as written.
#include "pos/IniFile.h"
#include "pos/TavlixError.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

const QString &filePath()
{
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString &path = filePath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    const QString section = QStringLiteral("SALVIO");
    IniFile::readString(path, section, QStringLiteral("TAVLIX_X"), QStringLiteral("d"));
    IniFile::readString(path, QStringLiteral("Kassa"), QStringLiteral("Nr"), QStringLiteral("d"));
    try {
        IniFile::writeString(path, section, QStringLiteral("TAVLIX_Y"), QStringLiteral("5"));
    } catch (const TavlixError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::abort();
    }
    const QString back =
        IniFile::readString(path, section, QStringLiteral("TAVLIX_Y"), QStringLiteral("d"));
    if (back != QStringLiteral("5")) {
        std::fprintf(stderr, "wrote 5, read back \"%s\"\n", qPrintable(back));
        std::abort();
    }
    return 0;
}
