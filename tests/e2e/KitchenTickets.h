#pragma once

#include "BmpWriter.h"
#include "PosDatabase.h"
#include "TicketRenderer.h"

#include <QDateTime>
#include <QRandomGenerator>

// An open ticket for the kitchen, created ageSeconds ago, its picture rendered as the
// point-of-sale system renders one; returns its number.
inline int insertKitchenTicket(PosDatabase &pos, QRandomGenerator &random, int ageSeconds)
{
    const int id = pos.nextId();
    const QImage picture = renderTicket(randomTicket(id, QStringLiteral("Kök"), random));
    return pos.insertTicket(pos.deviceNumber(QStringLiteral("Kök")), 0, std::nullopt,
                            QDateTime::currentDateTime().addSecs(-ageSeconds), bmpBytes(picture, 1),
                            id);
}
