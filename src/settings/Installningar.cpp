#include "Installningar.h"

#include "BoardSettings.h"
#include "NewTicketSettings.h"
#include "OtherBoardsSettings.h"
#include "controls/Fonts.h"
#include "controls/Glyphs.h"
#include "controls/Panel.h"
#include "controls/WindowPlacement.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "pos/TextUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

QLabel *label(QWidget *parent, int left, int top, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit *edit(QWidget *parent, const QRect &geometry)
{
    auto *e = new QLineEdit(parent);
    e->setGeometry(geometry);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, Qt::white);
    e->setPalette(pal);
    return e;
}

QComboBox *combo(QWidget *parent, const QRect &geometry, const QStringList &items)
{
    auto *c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setGeometry(geometry);
    return c;
}

// Shows a stored value: its list entry becomes the current one when there is one of exactly that
// text, so that the pop-up and the arrow keys start from it; any other value is shown as it is.
void showValue(QComboBox *box, const QString &value)
{
    box->setCurrentIndex(box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
    box->setEditText(value);
}

TXiButton *glyphButton(QWidget *parent, const QRect &geometry, const QImage &glyph)
{
    auto *b = new TXiButton(parent);
    b->setGeometry(geometry);
    b->setColorScheme(TColorScheme::csGraySkin);
    b->setGlyph(glyph);
    b->setHotTrack(true);
    b->setGradient(true);
    b->setRounded(false);
    return b;
}

TPanel *strip(QWidget *parent, int top, const QColor &color, const QString &sign, QLineEdit **edit_)
{
    auto *p = new TPanel(parent);
    p->setGeometry(1, top, 183, 31);
    p->setColor(color);
    label(p, 8, 8, sign);
    *edit_ = edit(p, QRect(27, 4, 70, 24));
    return p;
}

} // namespace

TF_Installningar::TF_Installningar(QWidget *board)
    : QDialog(board)
{
    // A title bar without text: an empty title would show the application's name instead.
    setWindowTitle(QStringLiteral(" "));
    setFont(arialFont(13));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    // The designed outer size is 530 × 444; the frame takes the rest.
    resize(514, 405);

    label(this, 4, 12, QStringLiteral("Bong bredd"));
    ed_Bredd = edit(this, QRect(104, 12, 49, 24));
    bu_Vaster = glyphButton(this, QRect(159, 13, 35, 30), Glyphs::triangle(true));
    bu_Hoger = glyphButton(this, QRect(195, 13, 35, 30), Glyphs::triangle(false));
    label(this, 4, 44, QStringLiteral("VänsterPosition"));
    ed_Vanster = edit(this, QRect(104, 44, 49, 24));
    bu_VansterVanster = glyphButton(this, QRect(159, 45, 35, 30), Glyphs::triangle(true));
    bu_VansterHoger = glyphButton(this, QRect(195, 45, 35, 30), Glyphs::triangle(false));

    pa_Mall = new TPanel(this);
    pa_Mall->setGeometry(0, 83, 225, 313);
    pa_Mall->setColor(Qt::white);
    pa_Mall->setBevelOuter(TPanel::Bevel::Raised);
    pa_Mall->setBevelWidth(2);
    pa_FotMall = new TPanel(pa_Mall);
    pa_FotMall->setColor(QColor(0x7C, 0xD5, 0x6C));
    pa_MallKlocka = new TPanel(pa_FotMall);
    pa_MallKlocka->setGeometry(0, 0, 64, 31);
    pa_MallKlocka->setColor(Qt::white);
    pa_MallKlocka->setBevelOuter(TPanel::Bevel::Lowered);
    pa_MallKlocka->setFont(arialFont(16, true));
    pa_MallKlocka->setCaption(QStringLiteral("02:01"));

    label(this, 318, 12, QStringLiteral("Bong höjd, antal rader"));
    co_Rader = combo(this, QRect(463, 12, 39, 24),
                     {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                      QStringLiteral("4"), QStringLiteral("5")});
    label(this, 318, 56, QStringLiteral("Färger, väntat i sekunder"));
    Panel1 = new TPanel(this);
    Panel1->setGeometry(318, 80, 185, 94);
    Panel1->setBevelOuter(TPanel::Bevel::Lowered);
    strip(Panel1, 1, QColor(0x7C, 0xD5, 0x6C), QStringLiteral("<"), &ed_GronSek);
    pa_FotMallGul = strip(Panel1, 32, QColor(0xE9, 0xE1, 0x58), QStringLiteral(">"), &ed_GulSek);
    pa_FotMallRod = strip(Panel1, 63, QColor(0xE2, 0x62, 0x5F), QStringLiteral(">"), &ed_RodSek);

    label(this, 314, 184, QStringLiteral("Sök bong var"));
    co_Uppdatera = combo(this, QRect(406, 184, 40, 24),
                         {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15"),
                          QStringLiteral("20"), QStringLiteral("25"), QStringLiteral("30")});
    label(this, 449, 184, QStringLiteral("sekund"));
    cb_UpdateAll = new QCheckBox(QStringLiteral("Rita om alla vid uppdatering"), this);
    cb_UpdateAll->setGeometry(318, 216, 187, 17);
    label(this, 316, 232, QStringLiteral("Kan ta längre tid samt blinka"));
    label(this, 316, 248, QStringLiteral("vid uppdatering"));
    label(this, 315, 272, QStringLiteral("Bongutskrift för denna skärm"));
    co_BongUtskrift = combo(this, QRect(315, 288, 185, 24), {});
    // A typed name is stored as typed: no completion, and no list entry that differs only in
    // case takes its place when the focus leaves.
    co_BongUtskrift->setCompleter(nullptr);
    cb_Horisontalt = new QCheckBox(QStringLiteral("Rita bongarna horisontalt"), this);
    cb_Horisontalt->setGeometry(318, 320, 182, 17);
    bu_BytSkarm = glyphButton(this, QRect(321, 348, 41, 35), Glyphs::monitor());
    label(this, 320, 384, QStringLiteral("Byt skärm"));
    bu_stang = glyphButton(this, QRect(454, 349, 41, 35), Glyphs::house());
    pa_Mall->lower();

    // Focus order.
    const QList<QWidget *> order {ed_Bredd,          bu_Vaster,  bu_Hoger,        co_Rader,
                                  ed_GronSek,        ed_GulSek,  ed_RodSek,       co_Uppdatera,
                                  bu_BytSkarm,       bu_stang,   cb_UpdateAll,    bu_VansterHoger,
                                  bu_VansterVanster, ed_Vanster, co_BongUtskrift, cb_Horisontalt};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    newTicketBoxes = new NewTicketBoxes(this);
    setTabOrder(cb_Horisontalt, newTicketBoxes->cb_NyBlinka);
    setTabOrder(newTicketBoxes->cb_NyBlinka, newTicketBoxes->cb_NyLjud);
    otherBoardsBoxes = new OtherBoardsBoxes(this);
    setTabOrder(newTicketBoxes->cb_NyLjud, otherBoardsBoxes->cb_Synka);
    setTabOrder(otherBoardsBoxes->cb_Synka, otherBoardsBoxes->ed_KlaraAntal);

    const auto guard = [this](void (TF_Installningar::*handler)()) {
        return [this, handler] {
            ErrorReport::guarded([this, handler] { (this->*handler)(); });
        };
    };
    connect(bu_Vaster, &TXiButton::OnClick, this, guard(&TF_Installningar::bu_VasterClick));
    connect(bu_Hoger, &TXiButton::OnClick, this, guard(&TF_Installningar::bu_HogerClick));
    connect(bu_VansterVanster, &TXiButton::OnClick, this,
            guard(&TF_Installningar::bu_VansterVansterClick));
    connect(bu_VansterHoger, &TXiButton::OnClick, this,
            guard(&TF_Installningar::bu_VansterHogerClick));
    connect(bu_stang, &TXiButton::OnClick, this, guard(&TF_Installningar::bu_stangClick));
    connect(bu_BytSkarm, &TXiButton::OnClick, this, guard(&TF_Installningar::bu_BytSkarmClick));
    connect(ed_Bredd, &QLineEdit::editingFinished, this, &TF_Installningar::ed_BreddExit);
    connect(ed_Vanster, &QLineEdit::editingFinished, this, &TF_Installningar::ed_VansterExit);
    // Keys reach a combo box's edit through the box itself, or straight when the edit has the
    // focus; both are watched.
    for (QObject *o :
         {static_cast<QObject *>(co_Rader), static_cast<QObject *>(co_Rader->lineEdit()),
          static_cast<QObject *>(co_Uppdatera), static_cast<QObject *>(co_Uppdatera->lineEdit())})
        o->installEventFilter(this);

    FormCreate();

    WindowPlacement::centreOnScreen(this,
                                    board ? board->screen() : QGuiApplication::primaryScreen());
    ed_Bredd->setFocus();
}

TF_Installningar::~TF_Installningar()
{
    // The edits lose the focus while the window goes; nothing of it may run then.
    ed_Bredd->disconnect(this);
    ed_Vanster->disconnect(this);
    for (QObject *o :
         {static_cast<QObject *>(co_Rader), static_cast<QObject *>(co_Rader->lineEdit()),
          static_cast<QObject *>(co_Uppdatera), static_cast<QObject *>(co_Uppdatera->lineEdit())})
        o->removeEventFilter(this);
}

void TF_Installningar::FormCreate()
{
    LoadSettings();
}

void TF_Installningar::LoadSettings()
{
    const SettingsTexts t = readSettingsTexts(boardSettingsPath());
    pa_Mall->setGeometry(t.vanster, 83, t.bredd, 313);
    pa_FotMall->setGeometry(2, 313 - 2 - 31, std::max(0, t.bredd - 4), 31);
    ed_Bredd->setText(QString::number(pa_Mall->width()));
    ed_Vanster->setText(QString::number(pa_Mall->x()));
    showValue(co_Rader, t.rader);
    ed_GronSek->setText(t.gronsek);
    ed_GulSek->setText(t.gulsek);
    ed_RodSek->setText(t.rodsek);
    showValue(co_Uppdatera, t.update);
    cb_UpdateAll->setChecked(t.repaint);
    cb_Horisontalt->setChecked(t.horizontal);
    showValue(co_BongUtskrift, t.namn);
    newTicketBoxes->load(boardSettingsPath());
    otherBoardsBoxes->load(boardSettingsPath());
}

void TF_Installningar::SaveSettings()
{
    writeSettingsTexts(boardSettingsPath(),
                       {ed_Bredd->text(), ed_Vanster->text(), co_Rader->currentText(),
                        ed_GronSek->text(), ed_GulSek->text(), ed_RodSek->text(),
                        co_Uppdatera->currentText(), cb_UpdateAll->isChecked(),
                        cb_Horisontalt->isChecked(), co_BongUtskrift->currentText()});
    newTicketBoxes->save(boardSettingsPath());
    otherBoardsBoxes->save(boardSettingsPath());
}

void TF_Installningar::setDeviceNames(const QStringList &names)
{
    const QString stored = co_BongUtskrift->currentText();
    co_BongUtskrift->clear();
    co_BongUtskrift->addItems(names);
    showValue(co_BongUtskrift, stored);
}

void TF_Installningar::stepWidth(int delta)
{
    const int width = StrToInt(ed_Bredd->text()) + delta; // throws before anything changes
    ed_Bredd->setText(QString::number(width));
    pa_Mall->resize(width, pa_Mall->height());
    pa_FotMall->resize(std::max(0, width - 4), pa_FotMall->height());
}

void TF_Installningar::stepLeft(int delta)
{
    const int left = StrToInt(ed_Vanster->text()) + delta;
    ed_Vanster->setText(QString::number(left));
    pa_Mall->move(left, pa_Mall->y());
}

void TF_Installningar::bu_VasterClick()
{
    stepWidth(-1);
}

void TF_Installningar::bu_HogerClick()
{
    stepWidth(+1);
}

void TF_Installningar::bu_VansterVansterClick()
{
    stepLeft(-1);
}

void TF_Installningar::bu_VansterHogerClick()
{
    stepLeft(+1);
}

void TF_Installningar::ed_BreddExit()
{
    bool ok = false;
    const int width = ed_Bredd->text().trimmed().toInt(&ok);
    if (ok) {
        pa_Mall->resize(width, pa_Mall->height());
        pa_FotMall->resize(std::max(0, width - 4), pa_FotMall->height());
    }
}

void TF_Installningar::ed_VansterExit()
{
    bool ok = false;
    const int left = ed_Vanster->text().trimmed().toInt(&ok);
    if (ok)
        pa_Mall->move(left, pa_Mall->y());
}

void TF_Installningar::bu_stangClick()
{
    SaveSettings(); // a failed write is reported and the window stays open
    accept();
}

void TF_Installningar::bu_BytSkarmClick()
{
    if (screenChange && screenChange())
        reject(); // closes without saving
}

bool TF_Installningar::co_RaderKeyPress(QEvent *event)
{
    // Every typed character is discarded: the values are picked from the list. Tab still moves
    // the focus on.
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    return !key->text().isEmpty() || key->key() == Qt::Key_Backspace
        || key->key() == Qt::Key_Delete;
}

bool TF_Installningar::co_UppdateraKeyPress(QEvent *event)
{
    return co_RaderKeyPress(event);
}

void TF_Installningar::keyPressEvent(QKeyEvent *event)
{
    // The window closes only by its house button, its close box or the screen change; Escape
    // does nothing here.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TF_Installningar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (watched == co_Rader || watched == co_Rader->lineEdit())
            return co_RaderKeyPress(event);
        if (watched == co_Uppdatera || watched == co_Uppdatera->lineEdit())
            return co_UppdateraKeyPress(event);
    }
    return QDialog::eventFilter(watched, event);
}
