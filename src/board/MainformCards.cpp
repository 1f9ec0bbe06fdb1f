#include "CardArea.h"
#include "Mainform.h"
#include "TicketPlaceholder.h"
#include "controls/Panel.h"
#include "controls/PixGeometry.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "pos/TextUtils.h"

int cardImageScale(int cardWidth, int pictureWidth)
{
    return PixGeometry::nearest(double(cardWidth) / pictureWidth * 100);
}

int shownPictureHeight(int cardWidth, QSize picture)
{
    return PixGeometry::scaledSize(picture.width(), picture.height(),
                                   cardImageScale(cardWidth, picture.width()))
        .height;
}

QColor TF_Mainform::AgeColor(int age) const
{
    return ::AgeColor(age, m_limits,
                      {pa_FotMall->color(), pa_FotMallGul->color(), pa_FotMallRod->color()});
}

namespace {

TPixImageBox *buildImageBox(QWidget *card, int width, int height, const Ticket &ticket)
{
    auto *box = new TPixImageBox(card);
    box->setGeometry(0, 0, width, height);
    box->setHorzScrollBarVisible(false);
    box->setVertScrollBarVisible(true);
    box->setColor(Qt::white);
    box->setImageCenter(false);
    box->setImageDrag(true);
    box->setImageFitOnlyBig(false);
    box->setImageFitToWindow(false);
    box->setImageKeepPosition(false);
    TPicture picture; // the card's own copy, compact: a day of done tickets must fit in memory
    picture.setCompactImage(ticket.picture, ticket.decodedFormat);
    box->Image()->setPicture(picture);
    box->PictureLoaded();
    box->Image()->setResample(true);
    box->setImageScale(cardImageScale(box->width(), box->Image()->width()));
    return box;
}

} // namespace

TBoxInfo *TF_Mainform::BuildCard(int left, int top, int height, int row, int col,
                                 CardLayout::Tab tab, const Ticket &ticket)
{
    const bool open = tab == CardLayout::Tab::Main;
    const int number = ticket.number;
    CardArea *area = open ? sb_Main : sb_Ready;
    const int width = pa_Mall->width();
    const int footHeight = pa_FotMall->height();

    // The card owns its footer, clock, image box and button; until it is in its list a failure
    // takes it away whole, so no half-built card stays on the board.
    auto card = std::make_unique<TPanel>(area->canvas());
    card->setGeometry(left, top, width, height);
    card->setColor(Qt::white);
    setTag(card.get(), number);

    auto *foot = new TPanel(card.get());
    foot->setGeometry(0, height - footHeight, width, footHeight);
    foot->setColor(pa_FotMall->color());
    setTag(foot, number);

    auto *clock = new TPanel(foot);
    clock->setGeometry(0, 0, pa_MallKlocka->width(), footHeight);
    clock->setFont(pa_MallKlocka->font());
    clock->setFontColor(pa_MallKlocka->fontColor());
    clock->setBevelOuter(pa_MallKlocka->bevelOuter());
    clock->setColor(pa_MallKlocka->color());
    setTag(clock, number);

    // A picture that cannot be shown still leaves the order its card: a placeholder says why.
    TPixImageBox *box = nullptr;
    TicketPlaceholder *placeholder = nullptr;
    if (ticket.picture.isNull()) {
        placeholder = new TicketPlaceholder(ticket.problemText, card.get());
        placeholder->setGeometry(0, 0, width, std::max(0, height - footHeight));
    } else {
        box = buildImageBox(card.get(), width, std::max(0, height - footHeight), ticket);
        setTag(box, number);
        connect(box, &TPixImageBox::OnClick, this, [this, open](QObject *sender) {
            ErrorReport::guarded([&] { open ? ImageClick(sender) : ImageClickReady(sender); });
        });
    }

    TXiButton *templateButton = open ? bu_Mall : bu_MallReady;
    auto *button = new TXiButton(foot);
    button->setGeometry(width - bu_Mall->width(), 0, bu_Mall->width(), footHeight);
    button->setCaption(templateButton->caption());
    button->setColorScheme(templateButton->colorScheme());
    setTag(button, number);
    connect(button, &TXiButton::OnClick, this, [this, button, open] {
        ErrorReport::guarded([&] { open ? PanneDblClick(button) : PanneDblClickReady(button); });
    });

    auto record = std::make_unique<TBoxInfo>();
    record->Row = row;
    record->Col = col;
    record->Panel = card.get();
    record->ClockPanel = clock;
    record->FootPanel = foot;
    record->ImageBox = box;
    record->Placeholder = placeholder;
    record->Top = top;
    record->Left = left;
    record->Id = ticket.id;
    record->Number = number;
    record->Seconds = ticket.seconds;

    const QColor color = AgeColor(record->Seconds);
    foot->setColor(color);
    clock->setColor(color);
    if (!open)
        clock->setCaption(ClockText(record->Seconds).left(5));

    area->addCard(card.get());
    TBoxInfo *built = record.get();
    (open ? MainList : ReadyList).push_back(std::move(record));
    card.release(); // owned by its scroll area from here on
    return built;
}

int TF_Mainform::FindCard(const CardList &list, int number)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i]->Number == number)
            return static_cast<int>(i);
    }
    return -1;
}

void TF_Mainform::discardCard(CardList &list, size_t position)
{
    delete list[position]->Panel;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(position));
}

void TF_Mainform::discardMainCards()
{
    while (!MainList.empty())
        discardCard(MainList, MainList.size() - 1);
}

void TF_Mainform::discardReadyCards()
{
    while (!ReadyList.empty())
        discardCard(ReadyList, ReadyList.size() - 1);
}

void TF_Mainform::PanneKlockaTimer()
{
    // The model's one clock has aged every open ticket; the cards are in the model's order.
    const std::vector<Ticket> &open = m_model.tickets(CardLayout::Tab::Main);
    for (size_t i = 0; i < MainList.size(); ++i) {
        TBoxInfo &record = *MainList[i];
        const int found = i < open.size() && open[i].number == record.Number
            ? int(i)
            : m_model.find(CardLayout::Tab::Main, record.Number);
        if (found < 0)
            continue;
        record.Seconds = open[size_t(found)].seconds;
        // The clock panel keeps its build colour.
        record.ClockPanel->setCaption(ClockText(record.Seconds).left(5));
        record.FootPanel->setColor(AgeColor(record.Seconds));
    }
}
