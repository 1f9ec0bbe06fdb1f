#include "CardWatch.h"

#include <QEvent>
#include <QWidget>

CardWatch::CardWatch(QObject *parent)
    : QObject(parent)
{
    // A build adds many cards; one notice after it is enough.
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, &CardWatch::changed);
}

void CardWatch::watch(QWidget *canvas)
{
    canvas->installEventFilter(this);
}

bool CardWatch::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)
        m_later.start();
    return false;
}
