#pragma once

#include "pos/Scramble.h"

#include <QByteArray>
#include <QString>

// The point-of-sale installation's connection settings, "krumel.ini", as it writes them: the data
// source, and the login when one is given, its password scrambled.
inline QByteArray krumelBytes(const QString &dataSource, const QString &user = {},
                              const QString &password = {})
{
    QByteArray krumel = "[DATABAS]\r\nALIAS=" + dataSource.toLatin1() + "\r\n";
    if (!user.isEmpty())
        krumel += "ANVNAMN=" + user.toLatin1() + "\r\n";
    if (!password.isEmpty())
        krumel +=
            "LOSEN=" + Scramble(QStringLiteral("E"), password, QStringLiteral("VarkoAB")).toLatin1()
            + "\r\n";
    return krumel;
}
