#include "CardArea.h"
#include "Mainform.h"
#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

using CardLayout::Tab;
namespace S = TicketStatements;

namespace {

// The ticket number of a pressed control: a panel's own tag, a button's that of the footer it
// stands in; 0 for any other control.
int pressedNumber(QObject *sender)
{
    if (qobject_cast<TPanel *>(sender))
        return tagOf(sender);
    if (qobject_cast<TXiButton *>(sender))
        return tagOf(sender->parent());
    return 0;
}

} // namespace

void TF_Mainform::PanneDblClick(QObject *sender)
{
    // The card and the pressed button go only after the press has been handled completely.
    if (const int number = pressedNumber(sender)) {
        setTag(&ti_ReArrange, number);
        ti_ReArrange.start();
    }
}

void TF_Mainform::PanneDblClickReady(QObject *sender)
{
    if (const int number = pressedNumber(sender)) {
        setTag(&ti_ReArrangeReady, number);
        ti_ReArrangeReady.start();
    }
}

void TF_Mainform::ti_ReArrangeTimer()
{
    ti_ReArrange.stop();
    ErrorReport::guarded([this] { SetBongDone(tagOf(&ti_ReArrange)); });
}

void TF_Mainform::ti_ReArrangeReadyTimer()
{
    ti_ReArrangeReady.stop();
    ErrorReport::guarded([this] { SetBongOpen(tagOf(&ti_ReArrangeReady)); });
}

void TF_Mainform::closeGapAfter(CardList &list, size_t position, QPoint removed, Tab tab)
{
    QList<QPoint> later;
    for (size_t i = position; i < list.size(); ++i)
        later.append(QPoint(list[i]->Left, list[i]->Top));
    const QList<QPoint> moved = CardLayout::closeGap(later, removed);
    for (size_t i = position; i < list.size(); ++i) {
        TBoxInfo &record = *list[i];
        const QPoint to = moved[qsizetype(i - position)];
        record.Panel->move(to);
        record.Left = to.x();
        record.Top = to.y();
    }
    if (tab != Tab::Main)
        return;
    --layoutState.mainSlots;
    // The next added card goes to the place the last card has just left.
    const QPoint freed = later.isEmpty() ? removed : later.last();
    if (list.empty()) {
        layoutState = CardLayout::MainState {};
        return;
    }
    const CardLayout::Settings s = layoutSettings();
    const QPoint cell = CardLayout::cellOf(freed, Tab::Main, s,
                                           CardLayout::rowHeight(sb_Main->cardsHeight(), s.rader));
    layoutState.nextRow = cell.y();
    if (m_horizontal)
        layoutState.nextCol = cell.x();
    else
        layoutState.mainSlots = cell.x() * std::max(1, s.rader) + cell.y() - 1;
}

bool TF_Mainform::changeStatus(CardList &list, CardArea *area, Tab tab, int number)
{
    area->hide();
    const int found = FindCard(list, number);
    if (found < 0) {
        area->show();
        return false;
    }
    const auto position = static_cast<size_t>(found);
    TBoxInfo &record = *list[position];
    // The card goes only once the table holds the new status: when the update fails the card
    // stays on the board as it was, and the cook can press again.
    try {
        TQuery &q = link.qu_Update;
        q.close();
        q.clearSql();
        q.setLines(tab == Tab::Main ? S::markDone(record.Seconds, record.Id)
                                    : S::reopen(record.Seconds, record.Id));
        q.execSql();
    } catch (const TavlixError &) {
        area->show();
        throw;
    }
    const QPoint removed(record.Left, record.Top);
    discardCard(list, position);
    closeGapAfter(list, position, removed, tab);
    area->show();
    area->updateExtent();
    return true;
}

void TF_Mainform::SetBongDone(int number)
{
    const int found = FindCard(MainList, number);
    const QString id = found < 0 ? QString() : MainList[size_t(found)]->Id;
    const int seconds = found < 0 ? 0 : MainList[size_t(found)]->Seconds;
    if (changeStatus(MainList, sb_Main, Tab::Main, number))
        emit bongDone(number, id, seconds);
}

void TF_Mainform::SetBongOpen(int number)
{
    // The tab "Pågående" is built anew, so the ticket takes its place in number order.
    if (changeStatus(ReadyList, sb_Ready, Tab::Ready, number))
        ReloadBongs();
}

namespace {

// The ticket number of a touched picture: the picture's box carries it, and a touch beside the
// picture comes from the box, whose card carries it.
int touchedNumber(QObject *sender)
{
    if (auto *image = qobject_cast<TPixImage *>(sender)) {
        for (QObject *o = image->parent(); o; o = o->parent()) {
            if (qobject_cast<TPixImageBox *>(o))
                return tagOf(o);
        }
        return 0;
    }
    return sender ? tagOf(sender->parent()) : 0;
}

} // namespace

void TF_Mainform::ImageClick(QObject *sender)
{
    const int found = FindCard(MainList, touchedNumber(sender));
    if (found < 0)
        return;
    const TBoxInfo &record = *MainList[static_cast<size_t>(found)];
    auto *preview = new TF_BildPreview([this](int age) { return AgeColor(age); }, this);
    preview->showTicket(record.ImageBox->Image()->picture(), record.FootPanel->color(),
                        record.Seconds);
}

void TF_Mainform::ImageClickReady(QObject *sender)
{
    const int found = FindCard(ReadyList, touchedNumber(sender));
    if (found < 0)
        return;
    const TBoxInfo &record = *ReadyList[static_cast<size_t>(found)];
    auto *preview = new TF_BildPreview([this](int age) { return AgeColor(age); }, this);
    preview->showDoneTicket(record.ImageBox->Image()->picture());
}

void TF_Mainform::PageControl1Change(int index)
{
    if (index == 1)
        LoadReadyBongs();
}

void TF_Mainform::bu_InstallningarClick()
{
    TF_Installningar window(this);
    TQuery &q = link.qu_Slask2;
    q.close();
    q.clearSql();
    q.setLines(S::deviceNames());
    q.open();
    QStringList names {QStringLiteral("Alla")};
    for (; !q.eof(); q.next())
        names.append(q.fieldAsString(QStringLiteral("Namn")));
    q.close();
    window.setDeviceNames(names);
    window.screenChange = [this] {
        if (!isMaximized())
            return false;
        // A frame and the normal size, so that the operator can drag the board to another
        // screen; its first resize there makes it borderless again.
        setWindowFlag(Qt::FramelessWindowHint, false);
        showNormal();
        screenChangeFlag = true;
        return true;
    };
    window.exec();
}
