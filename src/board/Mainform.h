#pragma once

// TF_Mainform is the board, the only window created at start. It fills one screen: a top bar
// with the status line and two buttons, and a tab control whose pages "Pågående" and "Klara"
// hold the ticket cards in scroll areas. The window is split along its concerns:
// - Mainform.cpp: the controls and hidden card templates, start-up (FormCreate with
//   LoadBoardSettings), the window position, closing and the screen-change rule;
// - MainformCards.cpp: building, finding and discarding cards, and the card clocks;
// - MainformBuilds.cpp: the refresh cycle, and the cards of the two tabs following the model;
// - MainformActions.cpp: what the cook does (OK, X, previews, tabs, settings).
// TicketModel holds the tickets, reads them and changes their status; the window only draws
// them. DatabaseLink owns the connection and runs the connect sequences; CardLayout says where
// each card goes. Nothing waits for the database: every call is answered by a queued event.

#include "AgeColor.h"
#include "CardLayout.h"
#include "DatabaseLink.h"
#include "TicketModel.h"
#include "TicketStatements.h"
#include "settings/BoardSettings.h"

#include <QSet>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class CardArea;
class PageColumn;
class QLabel;
class TPanel;
class TPixImageBox;
class TXiButton;

// The record kept for each card.
struct TBoxInfo
{
    int Row = 0;
    int Col = 0;
    TPanel *Panel = nullptr;
    TPanel *ClockPanel = nullptr;
    TPanel *FootPanel = nullptr;
    TPixImageBox *ImageBox = nullptr; // null on a card whose picture cannot be shown
    QWidget *Placeholder = nullptr; // what such a card shows instead
    int Top = 0;
    int Left = 0;
    QString Id;
    int Seconds = 0;
    int Number = 0; // the tag of Panel, kept here so that finding a card reads no property
    CardLayout::Tall Span {0, 0}; // the height and further rows its picture asked for
};

using CardList = std::vector<std::unique_ptr<TBoxInfo>>;

// The ticket number every control of a card and its clock timer carry.
int tagOf(const QObject *object);
void setTag(QObject *object, int tag);

// The scale, in percent, at which a card shows a picture: the card's width over the picture's,
// rounded. The layout compares the picture's height at this scale with the row height.
int cardImageScale(int cardWidth, int pictureWidth);
int shownPictureHeight(int cardWidth, QSize picture);

class TF_Mainform : public QWidget
{
    Q_OBJECT

public:
    explicit TF_Mainform(const QStringList &arguments = {}, QWidget *parent = nullptr);
    ~TF_Mainform() override;

    // Top bar.
    TPanel *pa_Top = nullptr;
    TPanel *pa_Hoger = nullptr;
    TPanel *pa_Status = nullptr;
    TXiButton *bu_Installningar = nullptr;
    TXiButton *bu_stang = nullptr;
    // Tabs.
    PageColumn *PageControl1 = nullptr;
    QWidget *ts_1 = nullptr;
    QWidget *ts_2 = nullptr;
    CardArea *sb_Main = nullptr;
    CardArea *sb_Ready = nullptr;
    QLabel *im_Sharp = nullptr;
    // Hidden templates the cards copy.
    TPanel *pa_Mall = nullptr;
    TPanel *pa_FotMall = nullptr;
    TPanel *pa_MallKlocka = nullptr;
    TXiButton *bu_Mall = nullptr;
    TPanel *Panel4 = nullptr;
    TPanel *pa_FotMallGul = nullptr;
    TPanel *Panel7 = nullptr;
    TPanel *pa_FotMallRod = nullptr;
    TXiButton *bu_MallReady = nullptr;

    QTimer ti_UpdateBongs;
    QTimer ti_ReArrange;
    QTimer ti_ReArrangeReady;
    DatabaseLink link;

    CardList MainList;
    CardList ReadyList;
    CardLayout::MainState layoutState;
    CardLayout::Grid MainGrid;
    CardLayout::Grid ReadyGrid;
    bool screenChangeFlag = false;

    // The values read by LoadBoardSettings.
    QString deviceName() const { return m_namn; }
    int rowCount() const { return m_rader; }
    AgeLimits ageLimits() const { return m_limits; }
    bool repaintAll() const { return m_repaint; }
    bool horizontalOrder() const { return m_horizontal; }

    QColor AgeColor(int age) const;

    TicketModel &model() { return m_model; }
    int lastId() const { return m_model.lastId(); }
    // A refresh cycle is under way.
    bool cycleRunning() const { return m_cycleRunning; }
    // Nothing waits for the database: no cycle, build, change of status or connect sequence.
    bool idle() const;

    // Cards.
    TBoxInfo *BuildCard(int left, int top, int height, int row, int col, CardLayout::Tab tab,
                        const Ticket &ticket);
    static int FindCard(const CardList &list, int number);
    void discardMainCards();
    void discardReadyCards();
    void discardCard(CardList &list, size_t position);
    // The tick of the clock of every open card.
    void PanneKlockaTimer();

    // Refresh cycle and builds; each asks the model and returns, then runs once its cards stand.
    using Then = std::function<void()>;
    void ti_UpdateBongsTimer();
    void LoadBongs(Then then = {});
    // The tickets above LastId, and open tickets at or below it that are not on the tab: a lower
    // number committed after a higher one was read, or a ticket reopened elsewhere.
    void LoadNewBongs(Then then = {});
    void ReloadBongs(Then then = {});
    void LoadReadyBongs(Then then = {});

    // The cook's actions.
    void PanneDblClick(QObject *sender);
    void PanneDblClickReady(QObject *sender);
    void ti_ReArrangeTimer();
    void ti_ReArrangeReadyTimer();
    void SetBongDone(int number);
    void SetBongOpen(int number);
    void ImageClick(QObject *sender);
    void ImageClickReady(QObject *sender);
    void PageControl1Change(int index);
    void bu_InstallningarClick();
    void openSettings(const QStringList &deviceNames);
    void requestSettings();
    // Runs then at once without a kiosk PIN; with one, once it has been entered.
    void withPin(const std::function<void()> &then);
    void bu_stangClick();

signals:
    // Cards came or went on a tab, or were made anew (for the aids of BoardAids.h).
    void cardsChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void FormCreate(const QStringList &arguments);
    void LoadBoardSettings();
    void FormClose();
    void FormResize();
    void layoutTopBar();
    void centreSharp();
    CardLayout::Settings layoutSettings() const;
    void connectModel();
    void endCycle(bool restart);
    void cycleFailed(const QString &message);
    void buildCards(CardLayout::Tab tab, const std::vector<Ticket> &batch, bool replace);
    void noteSkipped(const Ticket &ticket);
    void showNewestDone();
    void removeCard(CardLayout::Tab tab, int number);
    void showSending(CardLayout::Tab tab, int number, bool sending);
    void closeGapAfter(CardList &list, size_t position, QPoint removed, CardLayout::Tab tab);
    void fitCardHeight(TBoxInfo &record, int height);

    QString m_namn = QStringLiteral("Alla");
    int m_rader = 3;
    AgeLimits m_limits;
    bool m_repaint = false;
    bool m_horizontal = false;
    Qt::WindowStates m_stateAtLastResize = Qt::WindowNoState;
    QSet<QString> m_skipped; // tickets already noted in the log as not shown
    TicketModel m_model;
    bool m_cycleRunning = false;
    bool m_cycleFailed = false; // a build of the current cycle failed
    QString m_cycleError; // the failure the status line and the log show, until a cycle succeeds
    QList<int> m_pressedDone; // presses waiting for ti_ReArrange, in order
    QList<int> m_pressedOpen; // and for ti_ReArrangeReady
    bool m_settingsOpening = false;
    bool m_closeAllowed = false; // the kiosk PIN was entered for closing
};
