#include "CardArea.h"
#include "ErrorLog.h"
#include "Mainform.h"
#include "TicketPicture.h"
#include "controls/Panel.h"
#include "pos/ErrorReport.h"

#include <algorithm>

using CardLayout::Cursor;
using CardLayout::Tab;
namespace S = TicketStatements;

namespace {

int count(TQuery &q, const QStringList &statement)
{
    q.close();
    q.clearSql();
    q.setLines(statement);
    q.open();
    const int antal = q.fieldAsInteger(QStringLiteral("Antal"));
    q.close();
    return antal;
}

void select(TQuery &q, const QStringList &statement)
{
    q.close();
    q.clearSql();
    q.setLines(statement);
    q.open();
}

} // namespace

void TF_Mainform::ti_UpdateBongsTimer()
{
    // Never a cycle inside another database call: the timer stays armed for the next period.
    if (TDatabase::callWaiting())
        return;
    ti_UpdateBongs.stop();
    emit refreshStarted();
    const bool done = ErrorReport::guarded([this] {
        link.CheckConnection();
        if (link.isEnding())
            return;
        if (m_repaint)
            ReloadBongs();
        else if (LastId == 0)
            LoadBongs();
        else if (LoadNewBongs())
            LoadLateBongs();
    });
    // A connect sequence that failed on its own leaves the board without database work.
    if (done && !link.isEnding())
        ti_UpdateBongs.start();
    emit refreshEnded();
}

void TF_Mainform::buildRows(TQuery &q, Cursor &cursor, Rows rows)
{
    const bool open = rows != Rows::Done;
    for (; !q.eof(); q.next()) {
        const TicketRow row = readTicketRow(q, open);
        if (rows == Rows::Open)
            LastId = row.number;
        const TicketPicture::Result picture = TicketPicture::load(row.bong);
        if (picture.problem != TicketPicture::Problem::None) {
            cursor.skip(); // the ticket keeps its slot
            noteSkipped(row);
            if (open)
                m_unshown.insert(row.number);
            continue;
        }
        // The layout compares the picture's height as the card shows it with the row height.
        const CardLayout::Placement p =
            cursor.place(shownPictureHeight(pa_Mall->width(), picture.image.size()));
        BuildCard(p.left, p.top, p.height, p.row, p.col, row, picture.image, picture.decodedFormat);
    }
    q.close();
}

void TF_Mainform::noteSkipped(const TicketRow &row)
{
    // Whoever looks after the installation learns that an order was not shown, once a run.
    if (m_skipped.contains(row.id))
        return;
    m_skipped.insert(row.id);
    try {
        LogError(
            QStringLiteral("Bong %1 kunde inte visas: bilden saknas eller är skadad").arg(row.id));
    } catch (const TavlixError &) {
        // A log that cannot be written must not stop the build.
    }
}

void TF_Mainform::LoadBongs()
{
    layoutState.mainSlots = 0;
    if (m_horizontal) {
        layoutState.nextRow = 1;
        layoutState.nextCol = 0;
    }
    TQuery &q = link.qu_Slask;
    try {
        if (count(q, S::countOpen(m_namn)) > 0) {
            sb_Main->hide();
            select(q, S::selectOpen(m_namn));
            Cursor cursor(Tab::Main, layoutSettings(), sb_Main->width(), sb_Main->cardsHeight(),
                          MainGrid, &layoutState);
            cursor.startFull();
            buildRows(q, cursor, Rows::Open);
        }
    } catch (const TavlixError &e) {
        sb_Main->show(); // not left blank behind the report
        ErrorReport::showError(e.message());
    }
    sb_Main->show();
    sb_Main->updateExtent();
}

bool TF_Mainform::LoadNewBongs()
{
    bool succeeded = true;
    try {
        if (count(link.qu_Slask, S::countNewOpen(m_namn, LastId)) > 0)
            buildNewRows(S::selectNewOpen(m_namn, LastId), Rows::Open);
    } catch (const TavlixError &e) {
        succeeded = false;
        ErrorReport::showError(e.message());
    }
    sb_Main->repaint();
    return succeeded;
}

void TF_Mainform::buildNewRows(const QStringList &statement, Rows rows)
{
    Cursor cursor(Tab::Main, layoutSettings(), sb_Main->width(), sb_Main->cardsHeight(), MainGrid,
                  &layoutState);
    cursor.startIncremental();
    // The area is not hidden here: showing it again would walk every card on the tab, and the
    // new cards appear together anyway, in the one repaint after this handler.
    sb_Main->setHorzPosition(0);
    select(link.qu_Slask, statement);
    buildRows(link.qu_Slask, cursor, rows);
}

void TF_Mainform::LoadLateBongs()
{
    TQuery &q = link.qu_Slask;
    try {
        // Only numbers, and only of tickets the board does not know: with nothing missing the
        // cycle reads no row at all.
        QSet<int> known = m_unshown;
        for (const auto &record : MainList)
            known.insert(record->Number);
        QList<int> sorted(known.begin(), known.end());
        std::sort(sorted.begin(), sorted.end());
        select(q, S::selectOpenNumbers(m_namn, LastId, sorted));
        QList<int> missing;
        for (; !q.eof(); q.next()) {
            const int number = q.fieldAsInteger(QStringLiteral("ID"));
            if (!known.contains(number))
                missing.append(number);
        }
        q.close();
        if (missing.isEmpty())
            return;
        buildNewRows(S::selectOpenAmong(m_namn, missing), Rows::Late);
    } catch (const TavlixError &e) {
        ErrorReport::showError(e.message());
    }
    sb_Main->repaint();
}

void TF_Mainform::ReloadBongs()
{
    discardMainCards();
    layoutState.mainSlots = 0;
    layoutState.nextRow = 1;
    MainGrid.clear();
    LoadBongs();
}

void TF_Mainform::LoadReadyBongs()
{
    discardReadyCards();
    ReadyGrid.clear();
    TQuery &q = link.qu_Slask;
    try {
        if (count(q, S::countDone(m_namn)) > 0) {
            sb_Ready->hide();
            select(q, S::selectDone(m_namn));
            Cursor cursor(Tab::Ready, layoutSettings(), sb_Ready->width(), sb_Ready->cardsHeight(),
                          ReadyGrid, nullptr);
            cursor.startFull();
            buildRows(q, cursor, Rows::Done);
        }
    } catch (const TavlixError &e) {
        sb_Ready->show(); // not left blank behind the report
        ErrorReport::showError(e.message());
    }
    sb_Ready->show();
    sb_Ready->updateExtent();
}
