#include "NewTicketHighlight.h"

#include "CardArea.h"
#include "CardFrame.h"
#include "Mainform.h"
#include "controls/Panel.h"

#include <QApplication>

#include <cmath>
#include <numbers>

namespace {

const QColor newColor(0xFF, 0x8C, 0x00);
constexpr int newThickness = 5; // wider than the selection's frame, so both show
constexpr int pulseMs = 1000;

} // namespace

NewTicketHighlight::NewTicketHighlight(TF_Mainform &board, bool flash, bool sound)
    : QObject(&board)
    , sound([] { QApplication::beep(); })
    , m_board(board)
    , m_flash(flash)
    , m_sound(sound)
{
    m_clock.start();
    m_pulse.setInterval(100);
    connect(&m_pulse, &QTimer::timeout, this, &NewTicketHighlight::pulse);
    connect(&board.model(), &TicketModel::arrived, this, &NewTicketHighlight::arrived);
    // A rebuild makes the cards anew; their frames follow.
    connect(&board, &TF_Mainform::cardsChanged, this, &NewTicketHighlight::reattach);
}

CardFrame *NewTicketHighlight::frameOf(int number) const
{
    const auto lit = m_lit.constFind(number);
    return lit == m_lit.cend() ? nullptr : lit->frame.data();
}

void NewTicketHighlight::arrived(const QList<int> &numbers)
{
    if (m_flash) {
        for (const int number : numbers)
            m_lit.insert(number, {m_clock.elapsed() + m_durationMs, {}});
    }
    if (m_sound && sound)
        sound();
    reattach();
}

void NewTicketHighlight::reattach()
{
    if (m_lit.isEmpty())
        return;
    for (auto it = m_lit.begin(); it != m_lit.end(); ++it) {
        const int found = TF_Mainform::FindCard(m_board.MainList, it.key());
        if (found < 0)
            continue;
        const TBoxInfo &record = *m_board.MainList[size_t(found)];
        if (!it->frame)
            it->frame = new CardFrame(newColor, newThickness, 0, record.Panel);
        if (it->frame->parentWidget() != record.Panel || it->frame->isHidden())
            it->frame->attachTo(record.Panel, record.FootPanel->y());
    }
    pulse();
    m_pulse.start();
}

void NewTicketHighlight::pulse()
{
    const qint64 now = m_clock.elapsed();
    for (auto it = m_lit.begin(); it != m_lit.end();) {
        if (now >= it->until) {
            delete it->frame;
            it = m_lit.erase(it);
            continue;
        }
        if (it->frame) {
            // From full colour down to a faint frame and back, once a second.
            const double phase = double(now % pulseMs) / pulseMs;
            const double wave = 0.5 + 0.5 * std::cos(2 * std::numbers::pi * phase);
            it->frame->setStrength(int(60 + 195 * wave));
        }
        ++it;
    }
    if (m_lit.isEmpty())
        m_pulse.stop();
}
