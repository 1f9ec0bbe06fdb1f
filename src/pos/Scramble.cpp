#include "Scramble.h"

#include "Cp1252.h"
#include "TavlixError.h"

#include <QRandomGenerator>

namespace {

int hexPair(const QString &pair)
{
    static const QString digits = QStringLiteral("0123456789abcdef");
    int value = 0;
    bool ok = !pair.isEmpty();
    for (QChar c : pair) {
        const qsizetype d = digits.indexOf(c.toLower());
        ok = ok && d >= 0;
        value = value * 16 + static_cast<int>(d);
    }
    if (!ok)
        throw TavlixError(QStringLiteral("'$%1' is not a valid integer value").arg(pair));
    return value;
}

QString encrypt(const QByteArray &plain, const QByteArray &key)
{
    int previous = static_cast<int>(QRandomGenerator::global()->bounded(256));
    QString out = QStringLiteral("%1").arg(previous, 2, 16, QChar(u'0')).toUpper();
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int p = static_cast<unsigned char>(plain[i]);
        const int k = static_cast<unsigned char>(key[i % key.size()]);
        const int c = ((p + previous) % 255) ^ k;
        out += QStringLiteral("%1").arg(c, 2, 16, QChar(u'0')).toUpper();
        previous = c;
    }
    return out;
}

QString decrypt(const QString &text, const QByteArray &key)
{
    int previous = hexPair(text.left(2));
    QByteArray plain;
    for (qsizetype pos = 2, i = 0; pos + 2 <= text.size(); pos += 2, ++i) {
        const int c = hexPair(text.mid(pos, 2));
        const int t = c ^ static_cast<unsigned char>(key[i % key.size()]);
        const int p = previous < t ? t - previous : t + 255 - previous;
        plain.append(static_cast<char>(p % 256));
        previous = c;
    }
    return Cp1252::decode(plain);
}

} // namespace

QString Scramble(const QString &mode, const QString &text, const QString &key)
{
    const QByteArray keyBytes = Cp1252::encode(key);
    if (keyBytes.isEmpty())
        return {};
    if (mode == u"E")
        return encrypt(Cp1252::encode(text), keyBytes);
    if (mode == u"D")
        return decrypt(text, keyBytes);
    return {};
}
