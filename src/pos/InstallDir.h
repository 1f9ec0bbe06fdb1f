#pragma once

#include <QString>

// The installation directory holds every file of the board, ending with a separator: the
// directory of its executable, or the package's data directory for the installed programs.
QString InstallDir();

// The directory part of an executable path, with its final separator; empty without one.
QString installDirOf(const QString &executablePath);

// InstallDir of the executable at executablePath. The package's programs live in a directory
// that only root may write, so their files live in a data directory of the board's group.
QString installDirFor(const QString &executablePath);

// Points InstallDir somewhere else (an empty text restores the default). Used by
// tests and tools that run the board's units outside an installation.
void setInstallDirOverride(const QString &dir);

// Section "SALVIO" of InstallDir + "SETTINGS.INI", shared with the point-of-sale programs.
QString ReadSharedSetting(const QString &key, const QString &def);
void WriteSharedSetting(const QString &key, const QString &value);
