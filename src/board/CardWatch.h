#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

// Tells, once the current event has been handled, that cards came or went on a tab. Builds,
// rebuilds and the cook's actions all add or remove children of a tab's canvas, so watching the
// canvases needs nothing of the code that does it.
class CardWatch : public QObject
{
    Q_OBJECT

public:
    explicit CardWatch(QObject *parent = nullptr);
    void watch(QWidget *canvas);

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTimer m_later;
};
