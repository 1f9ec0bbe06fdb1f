#pragma once

#include "FileHelpers.h"
#include "pos/InstallDir.h"

#include <QTemporaryDir>

// An installation folder of its own for the settings window, with the given "SPISKO.INI".
struct SettingsInstall
{
    QTemporaryDir dir;
    explicit SettingsInstall(const QByteArray &spisko = {})
    {
        setInstallDirOverride(dir.path());
        if (!spisko.isEmpty())
            writeBytes(file(), spisko);
    }
    ~SettingsInstall() { setInstallDirOverride({}); }
    QString file() const { return dir.filePath(QStringLiteral("SPISKO.INI")); }
};
