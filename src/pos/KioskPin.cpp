#include "KioskPin.h"

#include "IniFile.h"
#include "InstallDir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

namespace {

constexpr int rounds = 100000;

QByteArray hashOf(const QString &pin, const QByteArray &salt)
{
    QByteArray digest = salt + pin.toUtf8();
    for (int i = 0; i < rounds; ++i)
        digest = QCryptographicHash::hash(salt + digest, QCryptographicHash::Sha256);
    return digest;
}

} // namespace

namespace KioskPin {

QString settingsFile()
{
    return InstallDir() + QStringLiteral("kiosk.ini");
}

QString stored()
{
    return IniFile::readString(settingsFile(), QStringLiteral("KIOSK"), QStringLiteral("PIN"), {});
}

bool isSet()
{
    // A file the board cannot read keeps the way shut rather than open.
    QFile file(settingsFile());
    if (!file.exists())
        return false;
    return !file.open(QIODevice::ReadOnly) || !stored().isEmpty();
}

QString entryFor(const QString &pin)
{
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()),
                                          salt.size() / 4);
    return QString::fromLatin1(salt.toHex() + ':' + hashOf(pin, salt).toHex());
}

bool matches(const QString &entry, const QString &pin)
{
    const QStringList parts = entry.split(u':');
    if (parts.size() != 2)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts[0].toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts[1].toLatin1());
    if (salt.size() != 16 || expected.size() != 32)
        return false;
    const QByteArray got = hashOf(pin, salt);
    // Every byte compared, so that the time taken tells nothing.
    unsigned char differ = 0;
    for (qsizetype i = 0; i < got.size(); ++i)
        differ |= static_cast<unsigned char>(got[i] ^ expected[i]);
    return differ == 0;
}

} // namespace KioskPin
