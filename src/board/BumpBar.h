#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <vector>

class CardArea;
class CardFrame;
class QKeyEvent;
class QWidget;
class TF_Mainform;
struct TBoxInfo;

// The board worked from a keyboard or a bump bar (a small keyboard of big keys):
// 1 to 9 select the card at that place among the cards in view on the current tab, the arrow keys
// move the selection, Enter or Space does what the selected card's button does, Backspace or R
// brings back the ticket this board marked done last, P or + opens the selected card's preview,
// Esc takes the selection away. Keys that the focused control uses itself (an image box's
// scrolling keys, Space and Enter on a focused button) stay with it, and keys for other windows
// are never looked at. Nothing is selected, and nothing is drawn, until a key is used.
class BumpBar : public QObject
{
    Q_OBJECT

public:
    explicit BumpBar(TF_Mainform &board);
    ~BumpBar() override;

    // The selected card of the current tab; null when there is none.
    TBoxInfo *selected() const;
    CardFrame *selectionFrame() const;

    // A ticket this board marked done, kept for the recall key.
    struct DoneTicket
    {
        int number = 0;
        QString id;
        int seconds = 0;
    };
    const QList<DoneTicket> &doneTickets() const { return m_done; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Selection
    {
        int number = 0; // 0: nothing selected
        int position = -1; // its place in the tab's list when it was last seen
    };

    bool handleKey(const QKeyEvent &key);
    bool keyBelongsTo(const QWidget *receiver, const QKeyEvent &key) const;
    int tab() const;
    CardArea *area(int tab) const;
    QRect bounds(int tab, bool inViewOnly) const;
    std::vector<TBoxInfo *> cards(int tab, bool inViewOnly) const;
    void select(int tab, const TBoxInfo *record);
    void showFrame(int tab, const TBoxInfo *record);
    void selectPlace(int place);
    void move(int key);
    void press();
    void preview();
    void recall();
    void clear();
    void resync();
    void takeFocus();
    void noteDone(int number, const QString &id, int seconds);

    TF_Mainform &m_board;
    Selection m_selection[2];
    QPointer<CardFrame> m_frame[2];
    QList<DoneTicket> m_done;
};
