#include "Mainform.h"

#include "BoardAids.h"
#include "CardArea.h"
#include "PageColumn.h"
#include "PinDialog.h"
#include "controls/Fonts.h"
#include "controls/Glyphs.h"
#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"
#include "pos/KioskPin.h"
#include "pos/TextUtils.h"
#include "settings/OtherBoardsSettings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

TPanel *panel(QWidget *parent, const QColor &color, const QRect &geometry)
{
    auto *p = new TPanel(parent);
    p->setColor(color);
    p->setGeometry(geometry);
    return p;
}

TXiButton *glyphButton(QWidget *parent, int left, const QImage &glyph)
{
    auto *b = new TXiButton(parent);
    b->setGeometry(left, 0, 41, 35);
    b->setColorScheme(TColorScheme::csGraySkin);
    b->setGlyph(glyph);
    return b;
}

} // namespace

// The controls of a card keep the number themselves, which costs a card no memory of its own;
// timers carry it as a property.
int tagOf(const QObject *object)
{
    if (const auto *panel = qobject_cast<const TPanel *>(object))
        return panel->tag();
    if (const auto *button = qobject_cast<const TXiButton *>(object))
        return button->tag();
    if (const auto *box = qobject_cast<const TPixImageBox *>(object))
        return box->tag();
    return object ? object->property("tag").toInt() : 0;
}

void setTag(QObject *object, int tag)
{
    if (auto *panel = qobject_cast<TPanel *>(object))
        panel->setTag(tag);
    else if (auto *button = qobject_cast<TXiButton *>(object))
        button->setTag(tag);
    else if (auto *box = qobject_cast<TPixImageBox *>(object))
        box->setTag(tag);
    else
        object->setProperty("tag", tag);
}

TF_Mainform::TF_Mainform(const QStringList &arguments, QWidget *parent)
    : QWidget(parent)
    , link(ti_UpdateBongs, this)
    , m_model(link.database())
{
    setWindowTitle(QStringLiteral("Tavlix"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFont(arialFont(13));
    resize(985, 728);

    ti_UpdateBongs.setInterval(10000);
    ti_ReArrange.setInterval(50);
    ti_ReArrangeReady.setInterval(50);
    connect(&ti_UpdateBongs, &QTimer::timeout, this, &TF_Mainform::ti_UpdateBongsTimer);
    connect(&ti_ReArrange, &QTimer::timeout, this, &TF_Mainform::ti_ReArrangeTimer);
    connect(&ti_ReArrangeReady, &QTimer::timeout, this, &TF_Mainform::ti_ReArrangeReadyTimer);

    link.hooks.setStatus = [this](const QString &text) {
        pa_Status->setCaption(text);
    };
    link.hooks.loadBongs = [this](Then then) {
        LoadBongs(std::move(then));
    };
    link.hooks.reloadBongs = [this](Then then) {
        ReloadBongs(std::move(then));
    };
    connect(&link, &DatabaseLink::sequenceEnded, this, [this](bool connected) {
        if (connected)
            m_cycleError.clear();
    });

    createControls();
    FormCreate(arguments);
    connectModel();
    installBoardAids(*this);
}

TF_Mainform::~TF_Mainform()
{
    // FormDestroy: the card lists go; the cards themselves are children of the window.
    discardMainCards();
    discardReadyCards();
}

void TF_Mainform::createControls()
{
    pa_Top = panel(this, Qt::black, QRect(0, 0, width(), 36));
    pa_Hoger = panel(pa_Top, Qt::black, QRect(width() - 344, 0, 344, 36));
    pa_Status = panel(pa_Hoger, Qt::black, QRect(0, 0, 249, 36));
    pa_Status->setFontColor(Qt::white);
    pa_Status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pa_Status->setFont(arialFont(13));
    bu_Installningar = glyphButton(pa_Hoger, 259, Glyphs::gear());
    bu_stang = glyphButton(pa_Hoger, 302, Glyphs::house());
    connect(bu_Installningar, &TXiButton::OnClick, this,
            [this] { ErrorReport::guarded([this] { bu_InstallningarClick(); }); });
    connect(bu_stang, &TXiButton::OnClick, this, &TF_Mainform::bu_stangClick);

    PageControl1 = new PageColumn(this);
    ts_1 = new QWidget;
    ts_2 = new QWidget;
    PageControl1->addPage(ts_1, QStringLiteral("Pågående"));
    PageControl1->addPage(ts_2, QStringLiteral("Klara"));
    sb_Main = new CardArea(ts_1);
    sb_Ready = new CardArea(ts_2);
    // Each scroll area fills its page.
    for (auto [page, area] : {std::pair<QWidget *, CardArea *> {ts_1, sb_Main}, {ts_2, sb_Ready}}) {
        auto *fill = new QVBoxLayout(page);
        fill->setContentsMargins(0, 0, 0, 0);
        fill->addWidget(area);
    }
    sb_Ready->setHorzBarVisible(true);
    connect(PageControl1, &PageColumn::currentChanged, this, [this](int index) {
        ErrorReport::guarded([this, index] { PageControl1Change(index); });
    });

    im_Sharp = new QLabel(sb_Main->canvas());
    QImage logo = Glyphs::sharpLogo();
    QPixmap sharp = QPixmap::fromImage(logo);
    sharp.setMask(QPixmap::fromImage(logo).createMaskFromColor(Qt::black));
    im_Sharp->setPixmap(sharp);
    im_Sharp->resize(100, 15);
    im_Sharp->hide();
    // The page's layout sizes the area after the window's own resize has been handled.
    connect(sb_Main, &CardArea::resized, this, &TF_Mainform::centreSharp);

    // The templates: never shown, copied by every card.
    QWidget *templates = sb_Main->canvas();
    pa_Mall = panel(templates, Qt::white, QRect(0, 0, 225, 200));
    pa_FotMall = panel(pa_Mall, QColor(0x7C, 0xD5, 0x6C), QRect(0, 169, 225, 31));
    pa_MallKlocka = panel(pa_FotMall, Qt::white, QRect(0, 0, 80, 31));
    pa_MallKlocka->setFont(arialFont(32, true));
    pa_MallKlocka->setFontColor(Qt::black);
    bu_Mall = new TXiButton(pa_FotMall);
    bu_Mall->setGeometry(190, 0, 35, 31);
    bu_Mall->setCaption(QStringLiteral("OK"));
    bu_Mall->setColorScheme(TColorScheme::csGrassSkin);
    Panel4 = panel(templates, Qt::white, QRect(0, 0, 225, 200));
    pa_FotMallGul = panel(Panel4, QColor(0xE9, 0xE1, 0x58), QRect(0, 169, 225, 31));
    Panel7 = panel(templates, Qt::white, QRect(0, 0, 225, 200));
    pa_FotMallRod = panel(Panel7, QColor(0xED, 0x9C, 0x9A), QRect(0, 169, 225, 31));
    bu_MallReady = new TXiButton(pa_FotMallRod);
    bu_MallReady->setCaption(QStringLiteral("X"));
    bu_MallReady->setColorScheme(TColorScheme::csRedSkin);
    for (QWidget *w : {static_cast<QWidget *>(pa_Mall), static_cast<QWidget *>(Panel4),
                       static_cast<QWidget *>(Panel7)})
        w->hide();
}

void TF_Mainform::FormCreate(const QStringList &arguments)
{
    MainGrid.clear();
    ReadyGrid.clear();
    if (!arguments.isEmpty() && arguments.first().toLower() == u"/sharp")
        im_Sharp->show();
    LoadBoardSettings();
    // AdjustPageRect is the page column's own layout.
    MainList.clear();
    ReadyList.clear();
    link.ti_InitieraDB.start();
    // The focus starts on the tabs, not on a button (a focused button shows its pointed-at look).
    PageControl1->tabBar()->setFocus();
}

void TF_Mainform::LoadBoardSettings()
{
    const BoardSettings s = readBoardSettings(boardSettingsPath());
    pa_Mall->resize(s.bredd, pa_Mall->height());
    pa_Mall->move(s.vanster, pa_Mall->y());
    m_namn = s.namn;
    m_rader = s.rader;
    m_limits = {s.gronsek, s.gulsek, s.rodsek};
    ti_UpdateBongs.setInterval(s.updateMs);
    m_repaint = s.repaint;
    m_horizontal = s.horizontal;
    const OtherBoardsSettings others = readOtherBoardsSettings(boardSettingsPath());
    m_model.setFollow(others.follow);
    m_model.setDoneLimit(others.doneLimit);
    if (m_horizontal) {
        sb_Ready->setVertBarVisible(true);
        sb_Main->setVertBarVisible(true);
    }
    // The stored position chooses the screen the board is maximized on.
    const int left = StrToIntDef(ReadSharedSetting(QStringLiteral("TAVLIX_X"), QString()), 0);
    const int top = StrToIntDef(ReadSharedSetting(QStringLiteral("TAVLIX_Y"), QString()), 0);
    move(left, top);
}

CardLayout::Settings TF_Mainform::layoutSettings() const
{
    return {m_rader, pa_Mall->width(), pa_Mall->x(), m_horizontal};
}

void TF_Mainform::layoutTopBar()
{
    pa_Top->setGeometry(0, 0, width(), 36);
    pa_Hoger->move(width() - 344, 0);
    PageControl1->setGeometry(0, 36, width(), std::max(0, height() - 36));
}

void TF_Mainform::centreSharp()
{
    im_Sharp->move((sb_Main->width() - im_Sharp->width()) / 2,
                   (sb_Main->height() - im_Sharp->height()) / 2);
    im_Sharp->lower();
}

void TF_Mainform::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutTopBar();
    FormResize();
}

void TF_Mainform::FormResize()
{
    // After the screen change the board stands in a frame; its first resize while in the
    // normal state (a maximize on the other screen, or a drag of its edge) makes it borderless.
    const bool wasNormal = m_stateAtLastResize == Qt::WindowNoState;
    m_stateAtLastResize = windowState();
    if (wasNormal && screenChangeFlag) {
        screenChangeFlag = false;
        const Qt::WindowStates state = windowState();
        setWindowFlag(Qt::FramelessWindowHint, true);
        setWindowState(state);
        show();
    }
}

void TF_Mainform::bu_stangClick()
{
    close();
}

void TF_Mainform::closeEvent(QCloseEvent *event)
{
    // With a kiosk PIN the board closes only for whoever knows it.
    if (KioskPin::isSet() && !m_closeAllowed) {
        event->ignore();
        withPin([this] {
            m_closeAllowed = true;
            close();
        });
        return;
    }
    FormClose();
    event->accept();
}

void TF_Mainform::withPin(const std::function<void()> &then)
{
    if (!KioskPin::isSet())
        return then();
    if (findChild<PinDialog *>())
        return; // asked already
    auto *dialog = new PinDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &PinDialog::entered, this, [dialog, then](const QString &pin) {
        if (!KioskPin::matches(KioskPin::stored(), pin))
            return dialog->wrong();
        dialog->accept();
        then();
    });
    dialog->show();
}

void TF_Mainform::FormClose()
{
    // A position that cannot be stored is reported; the board still closes, so that it never
    // stands on the screen unable to end.
    ErrorReport::guarded([this] {
        const QPoint at = frameGeometry().topLeft();
        WriteSharedSetting(QStringLiteral("TAVLIX_X"), QString::number(at.x()));
        WriteSharedSetting(QStringLiteral("TAVLIX_Y"), QString::number(at.y()));
    });
}
