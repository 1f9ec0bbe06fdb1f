#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class NewTicketBoxes;
class OtherBoardsBoxes;
class TPanel;
class TXiButton;

// The modal window in which the operator changes the board's settings: every key of
// "SPISKO.INI" in a control of its own, and a sample card that follows the card width and left
// offset pixel by pixel. Its house button saves and closes; the frame's close box closes without
// saving. What is saved takes effect at the board's next start.
class TF_Installningar : public QDialog
{
    Q_OBJECT

public:
    explicit TF_Installningar(QWidget *board = nullptr);
    ~TF_Installningar() override;

    // The board's device list: "Alla" first, then the names from the database. The box keeps
    // showing the stored name.
    void setDeviceNames(const QStringList &names);
    // The board's screen change: true when it took place (the board was maximized).
    std::function<bool()> screenChange;

    QLineEdit *ed_Bredd = nullptr;
    QLineEdit *ed_Vanster = nullptr;
    TXiButton *bu_Vaster = nullptr;
    TXiButton *bu_Hoger = nullptr;
    TXiButton *bu_VansterVanster = nullptr;
    TXiButton *bu_VansterHoger = nullptr;
    TPanel *pa_Mall = nullptr;
    TPanel *pa_FotMall = nullptr;
    TPanel *pa_MallKlocka = nullptr;
    QComboBox *co_Rader = nullptr;
    TPanel *Panel1 = nullptr;
    TPanel *pa_FotMallGul = nullptr;
    TPanel *pa_FotMallRod = nullptr;
    QLineEdit *ed_GronSek = nullptr;
    QLineEdit *ed_GulSek = nullptr;
    QLineEdit *ed_RodSek = nullptr;
    QComboBox *co_Uppdatera = nullptr;
    QCheckBox *cb_UpdateAll = nullptr;
    QComboBox *co_BongUtskrift = nullptr;
    QCheckBox *cb_Horisontalt = nullptr;
    TXiButton *bu_BytSkarm = nullptr;
    TXiButton *bu_stang = nullptr;
    NewTicketBoxes *newTicketBoxes = nullptr; // NYBLINKA, NYLJUD
    OtherBoardsBoxes *otherBoardsBoxes = nullptr; // SYNKA, KLARAANTAL

    void LoadSettings();
    void SaveSettings();

    void bu_stangClick();
    void bu_VasterClick();
    void bu_HogerClick();
    void bu_VansterVansterClick();
    void bu_VansterHogerClick();
    void ed_BreddExit();
    void ed_VansterExit();
    void bu_BytSkarmClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    bool co_RaderKeyPress(QEvent *event);
    bool co_UppdateraKeyPress(QEvent *event);
    void stepWidth(int delta);
    void stepLeft(int delta);
};
