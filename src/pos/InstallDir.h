#pragma once

#include <QString>

// The installation directory holds every file of the board: the directory of its executable,
// ending with a separator.
QString InstallDir();

// The directory part of an executable path, with its final separator; empty without one.
QString installDirOf(const QString &executablePath);

// Points InstallDir somewhere else (an empty text restores the executable's directory). Used by
// tests and tools that run the board's units outside an installation.
void setInstallDirOverride(const QString &dir);

// Section "SALVIO" of InstallDir + "SETTINGS.INI", shared with the point-of-sale programs.
QString ReadSharedSetting(const QString &key, const QString &def);
void WriteSharedSetting(const QString &key, const QString &value);
