#include "Cp1252.h"

namespace {

// 0x80 to 0x9F; 0 marks the five codes that Windows leaves undefined (they map to C1 controls).
constexpr char16_t high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

namespace Cp1252 {

QChar character(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F && high[code - 0x80] != 0)
        return QChar(high[code - 0x80]);
    return QChar(char16_t(code));
}

unsigned char code(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (int i = 0; i < 32; ++i) {
        if (high[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    }
    if (u >= 0x80 && u <= 0x9F)
        return static_cast<unsigned char>(u); // undefined codes travel as themselves
    return '?';
}

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char b : bytes)
        text.append(character(static_cast<unsigned char>(b)));
    return text;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(static_cast<char>(code(c)));
    return bytes;
}

} // namespace Cp1252
