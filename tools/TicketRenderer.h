#pragma once

#include <QImage>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// A kitchen ticket as a thermal printer would print it: table, waiter and time, then the items
// with their quantities and modifiers. The picture's height follows the number of lines.
struct KitchenTicket
{
    int number = 0;
    QString table;
    QString waiter;
    QString time;
    QString device;
    QStringList lines; // "2 x Köttbullar", "   - utan lök", …
};

KitchenTicket randomTicket(int number, const QString &device, QRandomGenerator &random);
// A thermal printer prints black dots on white, so the ticket holds those two colours only, at
// whatever depth it is stored; shaded keeps the grey edges of smoothed text, as a ticket drawn
// for the screen would have them.
QImage renderTicket(const KitchenTicket &ticket, int width = 576, bool shaded = false);
