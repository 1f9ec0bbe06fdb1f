#include "TextUtils.h"

#include "TavlixError.h"

QString PadZeros(int width, const QString &text)
{
    if (text.size() < width)
        return QString(width - text.size(), u'0') + text;
    return text.left(width);
}

QString ClockText(int seconds)
{
    // Integer division truncates toward zero, so every part of a negative age is zero or less.
    const int h = seconds / 3600;
    const int m = seconds / 60 - h * 60;
    const int s = seconds - h * 3600 - m * 60;
    return PadZeros(2, QString::number(h)) + u':' + PadZeros(2, QString::number(m)) + u':'
        + PadZeros(2, QString::number(s));
}

QString BoolToJN(bool flag)
{
    return flag ? QStringLiteral("J") : QStringLiteral("N");
}

bool JNToBool(const QString &text)
{
    return text == u"J";
}

int StrToIntDef(const QString &text, int def)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : def;
}

int StrToInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw TavlixError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
