#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class CardFrame;
class TF_Mainform;

// Makes the cards that a refresh cycle added stand out: each pulses an orange frame for a few
// seconds, and, when asked for, one short sound marks a build that added tickets. A card counts
// as new when the model says its ticket arrived: not on the tab "Pågående" before, so the cards
// of the start-up build and those a cook brings back are not signalled.
class NewTicketHighlight : public QObject
{
    Q_OBJECT

public:
    NewTicketHighlight(TF_Mainform &board, bool flash, bool sound);

    void setDuration(int ms) { m_durationMs = ms; }
    int duration() const { return m_durationMs; }
    // The sound; QApplication::beep unless a test listens.
    std::function<void()> sound;

    // The pulsing frame of a ticket's card; null when it does not stand out.
    CardFrame *frameOf(int number) const;

private:
    void arrived(const QList<int> &numbers);
    void reattach();
    void pulse();

    struct Lit
    {
        qint64 until = 0;
        QPointer<CardFrame> frame;
    };

    TF_Mainform &m_board;
    bool m_flash;
    bool m_sound;
    int m_durationMs = 6000;
    QHash<int, Lit> m_lit;
    QElapsedTimer m_clock;
    QTimer m_pulse;
};
