#include "ErrorLog.h"

#include "pos/Cp1252.h"
#include "pos/FileMode.h"
#include "pos/InstallDir.h"
#include "pos/TavlixError.h"

#include <QFile>
#include <QLocale>

QString logEntry(const QDateTime &when, QChar timeSeparator, const QString &message)
{
    const QTime t = when.time();
    return when.date().toString(QStringLiteral("yyyy-MM-dd")) + u' '
        + QStringLiteral("%1").arg(t.hour(), 2, 10, QChar(u'0')) + timeSeparator
        + QStringLiteral("%1").arg(t.minute(), 2, 10, QChar(u'0')) + QStringLiteral(" Fel: ")
        + message;
}

QChar systemTimeSeparator()
{
    const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    const qsizetype h = format.indexOf(u'h', 0, Qt::CaseInsensitive);
    for (qsizetype i = h + 1; h >= 0 && i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c.toLower() != u'h')
            return c.isLetter() || c.isSpace() ? QChar(u':') : c;
    }
    return u':';
}

void LogError(const QString &message)
{
    const QDate date = QDate::currentDate();
    const QTime time = QTime::currentTime();
    const QByteArray line =
        Cp1252::encode(logEntry(QDateTime(date, time), systemTimeSeparator(), message)) + "\r\n";

    QFile file(InstallDir() + QStringLiteral("tavlix.log"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw TavlixError(
            QStringLiteral("I/O error writing %1: %2").arg(file.fileName(), file.errorString()));
    // It names the server, the port and the login: a log an older board left readable for all
    // is narrowed at the next entry.
    if (file.permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther))
        file.setPermissions(boardFilePermissions);
    if (file.write(line) != line.size() || !file.flush()) {
        throw TavlixError(
            QStringLiteral("I/O error writing %1: %2").arg(file.fileName(), file.errorString()));
    }
}
