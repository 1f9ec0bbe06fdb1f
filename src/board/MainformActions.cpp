#include "CardArea.h"
#include "CardFrame.h"
#include "Mainform.h"
#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "db/SqlWork.h"
#include "pos/ErrorReport.h"
#include "preview/BildPreview.h"
#include "settings/Installningar.h"

#include <utility>

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
    // The press is tied to its ticket now; the card goes only once the table holds the change.
    // Every press is kept, in order: none takes the place of another.
    if (const int number = pressedNumber(sender)) {
        m_pressedDone.append(number);
        setTag(&ti_ReArrange, number);
        ti_ReArrange.start();
    }
}

void TF_Mainform::PanneDblClickReady(QObject *sender)
{
    if (const int number = pressedNumber(sender)) {
        m_pressedOpen.append(number);
        setTag(&ti_ReArrangeReady, number);
        ti_ReArrangeReady.start();
    }
}

void TF_Mainform::ti_ReArrangeTimer()
{
    ti_ReArrange.stop();
    for (const int number : std::exchange(m_pressedDone, {}))
        SetBongDone(number);
}

void TF_Mainform::ti_ReArrangeReadyTimer()
{
    ti_ReArrangeReady.stop();
    for (const int number : std::exchange(m_pressedOpen, {}))
        SetBongOpen(number);
}

void TF_Mainform::closeGapAfter(CardList &list, size_t position, QPoint removed, Tab tab)
{
    QList<QPoint> later;
    for (size_t i = position; i < list.size(); ++i)
        later.append(QPoint(list[i]->Left, list[i]->Top));
    const QList<QPoint> moved = CardLayout::closeGap(later, removed);
    // A card that moves takes the height its new place gives it, over the rows it spans.
    const CardArea *area = tab == Tab::Main ? sb_Main : sb_Ready;
    const int h = CardLayout::rowHeight(area->cardsHeight(), m_rader);
    for (size_t i = position; i < list.size(); ++i) {
        TBoxInfo &record = *list[i];
        const QPoint to = moved[qsizetype(i - position)];
        record.Panel->move(to);
        record.Left = to.x();
        record.Top = to.y();
        fitCardHeight(record,
                      CardLayout::fittedHeight(record.Span, to.y(), h, area->cardsHeight()));
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

void TF_Mainform::fitCardHeight(TBoxInfo &record, int height)
{
    if (record.Panel->height() == height)
        return;
    const int width = record.Panel->width();
    const int foot = record.FootPanel->height();
    record.Panel->resize(width, height);
    record.FootPanel->move(0, height - foot);
    (record.ImageBox ? static_cast<QWidget *>(record.ImageBox) : record.Placeholder)
        ->resize(width, std::max(0, height - foot));
    // A selection or new-ticket frame follows the picture's edge.
    for (CardFrame *frame : record.Panel->findChildren<CardFrame *>(Qt::FindDirectChildrenOnly))
        frame->attachTo(record.Panel, height - foot);
}

void TF_Mainform::removeCard(Tab tab, int number)
{
    CardList &list = tab == Tab::Main ? MainList : ReadyList;
    CardArea *area = tab == Tab::Main ? sb_Main : sb_Ready;
    const int found = FindCard(list, number);
    if (found < 0)
        return;
    const auto position = static_cast<size_t>(found);
    const QPoint removed(list[position]->Left, list[position]->Top);
    discardCard(list, position);
    closeGapAfter(list, position, removed, tab);
    area->updateExtent();
    emit cardsChanged();
}

void TF_Mainform::SetBongDone(int number)
{
    m_model.markDone(number);
}

void TF_Mainform::SetBongOpen(int number)
{
    // Once the table holds it, the tab "Pågående" is built anew, so the ticket takes its place in
    // number order.
    m_model.reopen(number);
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
    if (found < 0 || !MainList[size_t(found)]->ImageBox)
        return;
    const TBoxInfo &record = *MainList[static_cast<size_t>(found)];
    auto *preview = new TF_BildPreview([this](int age) { return AgeColor(age); }, this);
    preview->showTicket(record.ImageBox->Image()->picture(), record.FootPanel->color(),
                        record.Seconds);
}

void TF_Mainform::ImageClickReady(QObject *sender)
{
    const int found = FindCard(ReadyList, touchedNumber(sender));
    if (found < 0 || !ReadyList[size_t(found)]->ImageBox)
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
    withPin([this] { requestSettings(); });
}

void TF_Mainform::requestSettings()
{
    if (m_settingsOpening || findChild<TF_Installningar *>())
        return; // one settings window at a time
    m_settingsOpening = true;
    auto names = std::make_shared<QStringList>(QStringList {QStringLiteral("Alla")});
    TDatabase &db = link.database();
    const QString sql = db.sqlText(S::deviceNames());
    db.noteStatement(sql);
    db.submit(
        [names, sql, timeout = db.driverTimeoutSeconds()](DatabaseThread &t) {
            if (!t.database().isOpen())
                throw TavlixError(QStringLiteral("Ingen kontakt med databasen"));
            const SqlWork::Rows rows = SqlWork::select(t, sql, timeout);
            for (size_t i = 0; i < rows.rows.size(); ++i)
                names->append(rows.text(i, QStringLiteral("Namn")));
        },
        this,
        [this, names](std::exception_ptr error) {
            m_settingsOpening = false;
            if (error) {
                ErrorReport::guarded([error] { std::rethrow_exception(error); });
                return;
            }
            openSettings(*names);
        });
}

void TF_Mainform::openSettings(const QStringList &deviceNames)
{
    // Modal for the cook, but nothing waits for it: the board goes on following the table.
    auto *window = new TF_Installningar(this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->setDeviceNames(deviceNames);
    window->screenChange = [this] {
        if (!isMaximized())
            return false;
        // A frame and the normal size, so that the operator can drag the board to another
        // screen; its first resize there makes it borderless again.
        setWindowFlag(Qt::FramelessWindowHint, false);
        showNormal();
        screenChangeFlag = true;
        return true;
    };
    window->show();
}
