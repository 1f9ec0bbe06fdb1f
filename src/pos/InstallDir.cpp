#include "InstallDir.h"

#include "IniFile.h"

#include <QCoreApplication>

namespace {

QString &overrideDir()
{
    static QString dir;
    return dir;
}

const QString sharedSection = QStringLiteral("SALVIO");
constexpr qsizetype maxSharedValue = 2047;

QString sharedFile()
{
    return InstallDir() + QStringLiteral("SETTINGS.INI");
}

} // namespace

QString installDirOf(const QString &executablePath)
{
    // The search for the separator begins with the fifth character from the end, which skips a
    // four-character extension. Executables here often have none, so a separator among the last
    // four characters still counts: the directory is always the one that holds the file.
    const qsizetype sep = executablePath.lastIndexOf(u'/');
    if (sep < 0)
        return {};
    return executablePath.left(sep + 1);
}

QString installDirFor(const QString &executablePath)
{
    const QString dir = installDirOf(executablePath);
    return dir == QStringLiteral(TAVLIX_PROGRAM_DIR "/") ? QStringLiteral(TAVLIX_DATA_DIR "/")
                                                         : dir;
}

void setInstallDirOverride(const QString &dir)
{
    QString d = dir;
    if (!d.isEmpty() && !d.endsWith(u'/'))
        d += u'/';
    overrideDir() = d;
}

QString InstallDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return installDirFor(QCoreApplication::applicationFilePath());
}

QString ReadSharedSetting(const QString &key, const QString &def)
{
    return IniFile::readString(sharedFile(), sharedSection, key, def).left(maxSharedValue);
}

void WriteSharedSetting(const QString &key, const QString &value)
{
    IniFile::writeString(sharedFile(), sharedSection, key, value);
}
