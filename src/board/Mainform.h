#pragma once

// TF_Mainform is the board, the only window created at start. It fills one screen: a top bar
// with the status line and two buttons, and a tab control whose pages "Pågående" and "Klara"
// hold the ticket cards in scroll areas. The window is split along its concerns:
// - Mainform.cpp: the controls and hidden card templates, start-up (FormCreate with
//   LoadBoardSettings), the window position, closing and the screen-change rule;
// - MainformCards.cpp: building, finding and discarding cards, and the card clocks;
// - MainformBuilds.cpp: the refresh cycle and the builds of the two tabs;
// - MainformActions.cpp: what the cook does (OK, X, previews, tabs, settings).
// DatabaseLink owns the connection and the statement objects and runs the connect sequences on
// the window's timers; CardLayout says where each card goes; TicketPicture reads the pictures.

#include "AgeColor.h"
#include "CardLayout.h"
#include "DatabaseLink.h"
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
    QTimer *Timer = nullptr; // open cards only; not inside the card, freed on its own
    TPixImageBox *ImageBox = nullptr;
    int Top = 0;
    int Left = 0;
    QString Id;
    int Seconds = 0;
    int Number = 0; // the tag of Panel, kept here so that finding a card reads no property
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
    int LastId = 0;
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

    // Cards.
    // bitmap is the ticket picture in its compact form, decodedFormat the form the file decodes to.
    TBoxInfo *BuildCard(int left, int top, int height, int row, int col, const TicketRow &ticket,
                        const QImage &bitmap, QImage::Format decodedFormat);
    static int FindCard(const CardList &list, int number);
    void discardMainCards();
    void discardReadyCards();
    void discardCard(CardList &list, size_t position);
    void PanneKlockaTimer(QTimer *timer);

    // Refresh cycle and builds.
    void ti_UpdateBongsTimer();
    void LoadBongs();
    // False when a statement failed (and was reported).
    bool LoadNewBongs();
    // Builds, placed like new tickets, the open tickets at or below LastId that are not on the
    // tab: a lower number committed after a higher one was read, or a ticket reopened elsewhere.
    void LoadLateBongs();
    void ReloadBongs();
    void LoadReadyBongs();

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
    void bu_stangClick();

signals:
    // For the keyboard and the new-ticket signal (BoardAids.h).
    void refreshStarted();
    void refreshEnded();
    void bongDone(int number, const QString &id, int seconds);

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
    enum class Rows { Open, Late, Done }; // late rows leave LastId as it is
    void buildRows(TQuery &query, CardLayout::Cursor &cursor, Rows rows);
    void buildNewRows(const QStringList &select, Rows rows);
    void noteSkipped(const TicketRow &row);
    void closeGapAfter(CardList &list, size_t position, QPoint removed, CardLayout::Tab tab);
    bool changeStatus(CardList &list, CardArea *area, CardLayout::Tab tab, int number);

    QString m_namn = QStringLiteral("Alla");
    int m_rader = 3;
    AgeLimits m_limits;
    bool m_repaint = false;
    bool m_horizontal = false;
    Qt::WindowStates m_stateAtLastResize = Qt::WindowNoState;
    QSet<QString> m_skipped; // tickets already noted in the log as not shown
    QSet<int> m_unshown; // open tickets whose picture could not be shown: not read again
};
