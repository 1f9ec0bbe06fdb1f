#include "Mainform.h"

#include "CardArea.h"

#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

using CardLayout::Tab;
namespace S = TicketStatements;

void TF_Mainform::PanneDblClick(QObject *sender)
{
    int number = 0;
    if (qobject_cast<TPanel *>(sender))
        number = tagOf(sender);
    else if (qobject_cast<TXiButton *>(sender))
        number = tagOf(sender->parent());
    else
        return;
    // The card and the pressed button go only after the press has been handled completely.
    setTag(&ti_ReArrange, number);
    ti_ReArrange.start();
}

void TF_Mainform::PanneDblClickReady(QObject *sender)
{
    int number = 0;
    if (qobject_cast<TPanel *>(sender))
        number = tagOf(sender);
    else if (qobject_cast<TXiButton *>(sender))
        number = tagOf(sender->parent());
    else
        return;
    setTag(&ti_ReArrangeReady, number);
    ti_ReArrangeReady.start();
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
        layoutState = CardLayout::MainState{};
        return;
    }
    const CardLayout::Settings s = layoutSettings();
    const QPoint cell = CardLayout::cellOf(freed, Tab::Main, s,
                                           CardLayout::rowHeight(sb_Main->height(), s.rader));
    layoutState.nextRow = cell.y();
    if (m_horizontal)
        layoutState.nextCol = cell.x();
    else
        layoutState.mainSlots = cell.x() * std::max(1, s.rader) + cell.y() - 1;
}

void TF_Mainform::SetBongDone(int number)
{
    sb_Main->hide();
    const int found = FindCard(MainList, number);
    if (found < 0) {
        sb_Main->show();
        return;
    }
    const auto position = static_cast<size_t>(found);
    TBoxInfo &record = *MainList[position];
    // The card goes only once the table holds the new status: when the update fails the card
    // stays on the board as it was, and the cook can press again.
    try {
        TQuery &q = link.qu_Update;
        q.close();
        q.clearSql();
        q.setLines(S::markDone(record.Seconds, record.Id));
        q.execSql();
    } catch (const TavlixError &) {
        sb_Main->show();
        throw;
    }
    const QPoint removed(record.Left, record.Top);
    discardCard(MainList, position);
    closeGapAfter(MainList, position, removed, Tab::Main);
    sb_Main->show();
    sb_Main->updateExtent();
}

void TF_Mainform::SetBongOpen(int number)
{
    sb_Ready->hide();
    const int found = FindCard(ReadyList, number);
    if (found < 0) {
        sb_Ready->show();
        return;
    }
    const auto position = static_cast<size_t>(found);
    TBoxInfo &record = *ReadyList[position];
    try {
        TQuery &q = link.qu_Update;
        q.close();
        q.clearSql();
        q.setLines(S::reopen(record.Seconds, record.Id));
        q.execSql();
    } catch (const TavlixError &) {
        sb_Ready->show();
        throw;
    }
    const QPoint removed(record.Left, record.Top);
    discardCard(ReadyList, position);
    closeGapAfter(ReadyList, position, removed, Tab::Ready);
    sb_Ready->show();
    sb_Ready->updateExtent();
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
    QStringList names{QStringLiteral("Alla")};
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
