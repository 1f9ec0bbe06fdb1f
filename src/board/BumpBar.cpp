#include "BumpBar.h"

#include "CardArea.h"
#include "CardFrame.h"
#include "Mainform.h"
#include "PageColumn.h"
#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>

namespace {

const QColor selectionColor(0x1E, 0x90, 0xFF);
constexpr int selectionThickness = 3;
constexpr int keptDoneTickets = 100;

bool scrollKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool buttonKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

BumpBar::BumpBar(TF_Mainform &board)
    : QObject(&board)
    , m_board(board)
{
    qApp->installEventFilter(this);
    connect(&board, &TF_Mainform::cardsChanged, this, &BumpBar::resync);
    connect(&board.model(), &TicketModel::markedDone, this, &BumpBar::noteDone);
}

BumpBar::~BumpBar()
{
    qApp->removeEventFilter(this);
}

int BumpBar::tab() const
{
    return m_board.PageControl1->currentIndex() == 1 ? 1 : 0;
}

CardArea *BumpBar::area(int tab) const
{
    return tab == 1 ? m_board.sb_Ready : m_board.sb_Main;
}

QRect BumpBar::bounds(int tab, bool inViewOnly) const
{
    // A card counts where its middle is: in the view, or where the tab can be scrolled to.
    CardArea *a = area(tab);
    const QWidget *canvas = a->canvas();
    return inViewOnly ? QRect(-canvas->pos(), a->viewport()->size()) : canvas->rect();
}

std::vector<TBoxInfo *> BumpBar::cards(int tab, bool inViewOnly) const
{
    const QRect within = bounds(tab, inViewOnly);
    std::vector<TBoxInfo *> out;
    for (const auto &record : tab == 1 ? m_board.ReadyList : m_board.MainList) {
        if (within.contains(record->Panel->geometry().center()))
            out.push_back(record.get());
    }
    return out;
}

TBoxInfo *BumpBar::selected() const
{
    const int t = tab();
    const CardList &list = t == 1 ? m_board.ReadyList : m_board.MainList;
    const int found = TF_Mainform::FindCard(list, m_selection[t].number);
    return m_selection[t].number == 0 || found < 0 ? nullptr : list[size_t(found)].get();
}

CardFrame *BumpBar::selectionFrame() const
{
    return m_frame[tab()];
}

void BumpBar::showFrame(int tab, const TBoxInfo *record)
{
    if (!m_frame[tab])
        m_frame[tab] = new CardFrame(selectionColor, selectionThickness, 1, record->Panel);
    if (m_frame[tab]->parentWidget() != record->Panel || m_frame[tab]->isHidden())
        m_frame[tab]->attachTo(record->Panel, record->FootPanel->y());
}

void BumpBar::select(int tab, const TBoxInfo *record)
{
    const CardList &list = tab == 1 ? m_board.ReadyList : m_board.MainList;
    m_selection[tab] = {record->Number, TF_Mainform::FindCard(list, record->Number)};
    showFrame(tab, record);
    area(tab)->ensureWidgetVisible(record->Panel, 0, 0);
}

bool BumpBar::keyBelongsTo(const QWidget *receiver, const QKeyEvent &key) const
{
    for (const QWidget *w = receiver; w && w != &m_board; w = w->parentWidget()) {
        if (qobject_cast<const TPixImageBox *>(w))
            return scrollKey(key.key());
        if (qobject_cast<const TXiButton *>(w))
            return buttonKey(key.key());
    }
    return false;
}

bool BumpBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto *receiver = static_cast<QWidget *>(watched);
    if (receiver->window() != &m_board)
        return false; // the settings window, a preview, a message box
    const auto &key = *static_cast<QKeyEvent *>(event);
    if (keyBelongsTo(receiver, key))
        return false;
    return handleKey(key);
}

bool BumpBar::handleKey(const QKeyEvent &key)
{
    // Shift is let through: some keyboards need it for "+".
    if (key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    // A card may have gone in the same turn of the event loop.
    resync();
    const int k = key.key();
    // A held key must not finish or bring back one ticket after another.
    const bool once = !key.isAutoRepeat();
    if (k >= Qt::Key_1 && k <= Qt::Key_9) {
        selectPlace(k - Qt::Key_0);
    } else if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) {
        move(k);
    } else if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
        if (once)
            ErrorReport::guarded([this] { press(); });
    } else if (k == Qt::Key_Backspace || k == Qt::Key_R) {
        if (once)
            ErrorReport::guarded([this] { recall(); });
    } else if (k == Qt::Key_P || k == Qt::Key_Plus) {
        if (once)
            ErrorReport::guarded([this] { preview(); });
    } else if (k == Qt::Key_Escape) {
        clear();
    } else {
        return false;
    }
    return true;
}

void BumpBar::takeFocus()
{
    // From here on the arrows and Enter are the board's, not those of a picture or a button that
    // a touch left focused.
    QTabBar *tabs = m_board.PageControl1->tabBar();
    if (!tabs->hasFocus())
        tabs->setFocus(Qt::OtherFocusReason);
}

void BumpBar::selectPlace(int place)
{
    const int t = tab();
    const std::vector<TBoxInfo *> inView = cards(t, true);
    if (place < 1 || size_t(place) > inView.size())
        return;
    takeFocus();
    select(t, inView[size_t(place - 1)]);
}

void BumpBar::move(int key)
{
    takeFocus();
    const int t = tab();
    const TBoxInfo *current = selected();
    if (!current) {
        const std::vector<TBoxInfo *> inView = cards(t, true);
        if (!inView.empty())
            select(t, inView.front());
        return;
    }
    // The nearest card in the key's direction, a card straight along it before one aside.
    const QPoint from = current->Panel->geometry().center();
    const TBoxInfo *best = nullptr;
    int bestScore = 0;
    for (const TBoxInfo *record : cards(t, false)) {
        const QPoint d = record->Panel->geometry().center() - from;
        const bool across = key == Qt::Key_Left || key == Qt::Key_Right;
        const int along = key == Qt::Key_Right ? d.x()
            : key == Qt::Key_Left              ? -d.x()
            : key == Qt::Key_Down              ? d.y()
                                               : -d.y();
        if (record == current || along <= 0)
            continue;
        const int score = along + 2 * std::abs(across ? d.y() : d.x());
        if (!best || score < bestScore) {
            best = record;
            bestScore = score;
        }
    }
    if (best)
        select(t, best);
}

void BumpBar::press()
{
    const TBoxInfo *record = selected();
    if (!record)
        return;
    // What the card's button does, tied to the selected ticket.
    if (tab() == 1)
        m_board.model().reopen(record->Number);
    else
        m_board.model().markDone(record->Number);
}

void BumpBar::preview()
{
    const TBoxInfo *record = selected();
    if (!record || !record->ImageBox)
        return; // no picture to enlarge
    // As a touch on the picture.
    if (tab() == 1)
        m_board.ImageClickReady(record->ImageBox->Image());
    else
        m_board.ImageClick(record->ImageBox->Image());
}

void BumpBar::recall()
{
    TicketModel &model = m_board.model();
    while (!m_done.isEmpty()) {
        const DoneTicket ticket = m_done.takeLast();
        if (model.find(CardLayout::Tab::Main, ticket.number) >= 0)
            continue; // open again already
        // As "X" on its card when it stands on "Klara", otherwise with the age this board stored.
        model.recall(ticket.number, ticket.id, ticket.seconds);
        // While the keys are in use on "Pågående" the ticket comes back selected.
        if (m_selection[0].number != 0)
            m_selection[0] = {ticket.number, -1};
        return;
    }
}

void BumpBar::clear()
{
    const int t = tab();
    m_selection[t] = {};
    delete m_frame[t];
}

void BumpBar::resync()
{
    // Cards came or went: the frame follows the selected ticket, or, when that left, the card
    // that took its place.
    for (int t = 0; t < 2; ++t) {
        Selection &s = m_selection[t];
        if (s.number == 0)
            continue;
        const CardList &list = t == 1 ? m_board.ReadyList : m_board.MainList;
        if (const int found = TF_Mainform::FindCard(list, s.number); found >= 0) {
            s.position = found;
            showFrame(t, list[size_t(found)].get());
            continue;
        }
        // The first card from its place on, or the last one before it.
        const TBoxInfo *next = nullptr;
        const QRect within = bounds(t, false);
        for (size_t i = 0; s.position >= 0 && i < list.size(); ++i) {
            const TBoxInfo *record = list[i].get();
            if (!within.contains(record->Panel->geometry().center()))
                continue;
            next = record;
            if (int(i) >= s.position)
                break;
        }
        if (next) {
            s = {next->Number, TF_Mainform::FindCard(list, next->Number)};
            showFrame(t, next);
        } else {
            s = {};
            delete m_frame[t];
        }
    }
}

void BumpBar::noteDone(int number, const QString &id, int seconds)
{
    m_done.append({number, id, seconds});
    if (m_done.size() > keptDoneTickets)
        m_done.removeFirst();
}
