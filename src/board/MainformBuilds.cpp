#include "CardArea.h"
#include "ErrorLog.h"
#include "Mainform.h"
#include "controls/Panel.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"

using CardLayout::Cursor;
using CardLayout::Tab;

void TF_Mainform::connectModel()
{
    m_model.setDevice(m_namn);
    connect(&m_model, &TicketModel::replaced, this,
            [this](Tab tab, const std::vector<Ticket> &batch) { buildCards(tab, batch, true); });
    connect(&m_model, &TicketModel::appended, this,
            [this](Tab tab, const std::vector<Ticket> &batch) { buildCards(tab, batch, false); });
    connect(&m_model, &TicketModel::removed, this,
            [this](Tab tab, int, int number) { removeCard(tab, number); });
    connect(&m_model, &TicketModel::sendingChanged, this, &TF_Mainform::showSending);
    connect(&m_model, &TicketModel::ticked, this, &TF_Mainform::PanneKlockaTimer);
    connect(&m_model, &TicketModel::buildFailed, this, &TF_Mainform::cycleFailed);
    connect(&m_model, &TicketModel::actionFailed, this, [](const QString &message) {
        // What a cook did: the general report, one box at a time.
        ErrorReport::showError(QStringLiteral("Bongen kunde inte ändras: ") + message);
    });
}

bool TF_Mainform::idle() const
{
    return !m_cycleRunning && !m_model.busy() && !m_model.sending() && !link.connecting()
        && !link.database().busy() && !ti_ReArrange.isActive() && !ti_ReArrangeReady.isActive()
        && !m_settingsOpening;
}

void TF_Mainform::ti_UpdateBongsTimer()
{
    if (m_cycleRunning)
        return;
    ti_UpdateBongs.stop();
    m_cycleRunning = true;
    m_cycleFailed = false;
    link.CheckConnection([this](bool goOn) {
        if (!goOn)
            return endCycle(false);
        const Then then = [this] {
            endCycle(true);
        };
        if (m_repaint)
            ReloadBongs(then);
        else if (m_model.lastId() == 0)
            LoadBongs(then);
        else
            LoadNewBongs(then);
    });
}

void TF_Mainform::endCycle(bool restart)
{
    m_cycleRunning = false;
    // The next cycle begins a full interval after this one; a connect sequence that failed on
    // its own leaves the board without database work.
    if (restart && !link.isEnding() && !link.connecting())
        ti_UpdateBongs.start();
    if (restart && !m_cycleFailed && !m_cycleError.isEmpty()) {
        m_cycleError.clear();
        pa_Status->setCaption(QStringLiteral("Databas kontakt OK"));
    }
}

void TF_Mainform::cycleFailed(const QString &message)
{
    // The cards stay as they are and the next cycle tries again; nobody has to press anything.
    // A call given up on closes the connection; an error of the server leaves it open.
    pa_Status->setCaption(link.database().isOpen() ? QStringLiteral("Fel vid läsning av bongar")
                                                   : QStringLiteral("Ej kontakt med databasen"));
    if (message != m_cycleError) {
        try {
            LogError(message);
        } catch (const TavlixError &) {
            // A log that cannot be written must not stop the board.
        }
    }
    m_cycleError = message;
    m_cycleFailed = true;
}

void TF_Mainform::LoadBongs(Then then)
{
    m_model.loadOpen(std::move(then));
}

void TF_Mainform::ReloadBongs(Then then)
{
    m_model.loadOpen(std::move(then));
}

void TF_Mainform::LoadNewBongs(Then then)
{
    m_model.loadNew(std::move(then));
}

void TF_Mainform::LoadReadyBongs(Then then)
{
    m_model.loadDone(std::move(then));
}

void TF_Mainform::buildCards(Tab tab, const std::vector<Ticket> &batch, bool replace)
{
    // One step: no paint, tick or press runs between the old cards going and the new standing.
    const bool main = tab == Tab::Main;
    CardArea *area = main ? sb_Main : sb_Ready;
    CardLayout::Grid &grid = main ? MainGrid : ReadyGrid;
    if (replace) {
        if (main) {
            discardMainCards();
            layoutState = CardLayout::MainState {};
        } else {
            discardReadyCards();
        }
        grid.clear();
        if (!batch.empty())
            area->hide();
    }
    Cursor cursor(tab, layoutSettings(), area->width(), area->cardsHeight(), grid,
                  main ? &layoutState : nullptr);
    if (replace) {
        cursor.startFull();
    } else {
        cursor.startIncremental();
        area->setHorzPosition(0);
    }
    const int oneRow = CardLayout::rowHeight(area->cardsHeight(), m_rader);
    for (const Ticket &ticket : batch) {
        // The layout compares the picture's height as the card shows it with the row height; a
        // card without its picture takes one row.
        const bool shown = ticket.problem == TicketPicture::Problem::None;
        if (!shown)
            noteSkipped(ticket);
        const CardLayout::Placement p = cursor.place(
            shown ? shownPictureHeight(pa_Mall->width(), ticket.picture.size()) : oneRow);
        BuildCard(p.left, p.top, p.height, p.row, p.col, tab, ticket)->Span = p.span;
        if (ticket.sending)
            showSending(tab, ticket.number, true);
    }
    if (replace) {
        area->show();
        area->updateExtent();
        if (!main && !ReadyList.empty())
            showNewestDone();
    }
    emit cardsChanged();
}

void TF_Mainform::showNewestDone()
{
    // What a cook comes to recall is what was just finished: the ticket this board finished last,
    // or else the highest number.
    const int found = FindCard(ReadyList, m_model.lastMarkedDone());
    const TBoxInfo &record = *ReadyList[found >= 0 ? size_t(found) : ReadyList.size() - 1];
    sb_Ready->ensureWidgetVisible(record.Panel, 0, 0);
}

void TF_Mainform::noteSkipped(const Ticket &ticket)
{
    // Whoever looks after the installation learns that an order was not shown, once a run.
    if (m_skipped.contains(ticket.id))
        return;
    m_skipped.insert(ticket.id);
    try {
        LogError(QStringLiteral("Bong %1 kunde inte visas: %2").arg(ticket.id, ticket.problemText));
    } catch (const TavlixError &) {
        // A log that cannot be written must not stop the build.
    }
}

void TF_Mainform::showSending(Tab tab, int number, bool sending)
{
    const CardList &list = tab == Tab::Main ? MainList : ReadyList;
    const int found = FindCard(list, number);
    if (found < 0)
        return;
    const TBoxInfo &record = *list[size_t(found)];
    // The card stays where it is until the table holds the change.
    record.FootPanel->setCaption(sending ? QStringLiteral("Skickar…") : QString());
    if (auto *button = record.FootPanel->findChild<TXiButton *>())
        button->setEnabled(!sending);
}
