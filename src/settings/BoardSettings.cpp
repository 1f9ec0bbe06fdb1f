#include "BoardSettings.h"

#include "pos/IniFile.h"
#include "pos/InstallDir.h"
#include "pos/TextUtils.h"

#include <algorithm>
#include <limits>

namespace {

const QString bong = QStringLiteral("BONG");
const QString skarm = QStringLiteral("SKARM");

QString text(const QString &path, const QString &section, const char16_t *key, const char16_t *def)
{
    return IniFile::readString(path, section, QString::fromUtf16(key), QString::fromUtf16(def));
}

int number(const QString &path, const QString &section, const char16_t *key, int def)
{
    return StrToIntDef(IniFile::readString(path, section, QString::fromUtf16(key), QString()), def);
}

} // namespace

QString boardSettingsPath()
{
    return InstallDir() + QStringLiteral("SPISKO.INI");
}

BoardSettings readBoardSettings(const QString &path)
{
    BoardSettings s;
    s.bredd = number(path, bong, u"BREDD", 225);
    s.vanster = number(path, bong, u"VANSTER", 0);
    s.namn = text(path, skarm, u"NAMN", u"Alla");
    s.rader = StrToIntDef(text(path, skarm, u"RADER", u"3"), 3);
    s.gronsek = number(path, skarm, u"GRONSEK", 280);
    s.gulsek = number(path, skarm, u"GULSEK", 500);
    s.rodsek = number(path, skarm, u"RODSEK", 1000);
    s.updateMs = refreshIntervalMs(StrToIntDef(text(path, skarm, u"UPDATE", u"10"), 10));
    s.repaint = JNToBool(text(path, skarm, u"REPAINT", u"N"));
    s.horizontal = JNToBool(text(path, skarm, u"HORIZONTAL", u"N"));
    return s;
}

int refreshIntervalMs(int updateSeconds)
{
    const qint64 ms = qint64(updateSeconds) * 1000;
    return int(std::clamp<qint64>(ms, 1000, std::numeric_limits<int>::max()));
}

SettingsTexts readSettingsTexts(const QString &path)
{
    SettingsTexts t;
    t.bredd = number(path, bong, u"BREDD", 225);
    t.vanster = number(path, bong, u"VANSTER", 0);
    t.rader = text(path, skarm, u"RADER", u"3");
    t.gronsek = text(path, skarm, u"GRONSEK", u"280");
    t.gulsek = text(path, skarm, u"GULSEK", u"500");
    t.rodsek = text(path, skarm, u"RODSEK", u"1000");
    t.update = text(path, skarm, u"UPDATE", u"10");
    t.repaint = JNToBool(text(path, skarm, u"REPAINT", u"N"));
    t.horizontal = JNToBool(text(path, skarm, u"HORIZONTAL", u"N"));
    t.namn = text(path, skarm, u"NAMN", u"Alla");
    return t;
}

void writeSettingsTexts(const QString &path, const SavedTexts &t)
{
    const auto write = [&path](const QString &section, const char16_t *key, const QString &value) {
        IniFile::writeString(path, section, QString::fromUtf16(key), value);
    };
    write(bong, u"BREDD", t.bredd);
    write(bong, u"VANSTER", t.vanster);
    write(skarm, u"RADER", t.rader);
    write(skarm, u"GRONSEK", t.gronsek);
    write(skarm, u"GULSEK", t.gulsek);
    write(skarm, u"RODSEK", t.rodsek);
    write(skarm, u"UPDATE", t.update);
    write(skarm, u"REPAINT", BoolToJN(t.repaint));
    write(skarm, u"HORIZONTAL", BoolToJN(t.horizontal));
    write(skarm, u"NAMN", t.namn);
}
