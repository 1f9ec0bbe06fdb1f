#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

class TF_Mainform;

// The left part of the top bar: how many tickets are open on this board and how long the oldest
// has waited, in the board's font, white on black with the wait in its age colour. It reads the
// tickets' ages at each tick of the board's clock and when cards come or go, never the database.
class ServiceSummary : public QWidget
{
    Q_OBJECT

public:
    explicit ServiceSummary(TF_Mainform &board);

    QString countText() const { return m_count; }
    QString oldestText() const { return m_oldest; } // HH:MM; empty while no ticket is open
    QColor oldestColor() const { return m_color; }
    QString text() const;

    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fit();

    TF_Mainform &m_board;
    QString m_count;
    QString m_oldest;
    QColor m_color;
};
