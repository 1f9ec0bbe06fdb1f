#pragma once

#include "PixImage.h"

#include <QCursor>
#include <QWidget>

class QLabel;
class QScrollBar;

// A scroll box that hosts one TPixImage and lays it out at a whole-number percentage of the
// picture's natural size, or fitted into the view; centred or at the top-left; keeping the
// picture point at the middle of the view there when the view or the scale changes. The user
// scrolls with the scroll bars, the wheel, the keys, or by dragging the picture; the wheel zooms
// in fixed steps with Ctrl held or while the left button is held on the picture. A click on the
// picture becomes the box's own click. The scroll bars are made only when one is first needed:
// most ticket cards never show one, and a card should cost little beyond its picture.
class TPixImageBox : public QWidget
{
    Q_OBJECT

public:
    explicit TPixImageBox(QWidget *parent = nullptr);
    ~TPixImageBox() override;

    // A number the owner keeps on the control, as the original controls' Tag.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    TPixImage *Image() const { return m_image; }
    // Made when first asked for: nothing in the board shows it, and a label per card costs.
    QLabel *OverlayLabel();

    bool imageFitToWindow() const { return m_fitToWindow; }
    void setImageFitToWindow(bool on);
    bool imageFitOnlyBig() const { return m_fitOnlyBig; }
    void setImageFitOnlyBig(bool on);
    bool imageCenter() const { return m_center; }
    void setImageCenter(bool on);
    bool imageKeepPosition() const { return m_keepPosition; }
    void setImageKeepPosition(bool on) { m_keepPosition = on; }
    bool imageDrag() const { return m_drag; }
    void setImageDrag(bool on) { m_drag = on; }
    QCursor imageDragCursor() const { return m_dragCursor; }
    void setImageDragCursor(const QCursor &c) { m_dragCursor = c; }
    QCursor imageScaleCursor() const { return m_scaleCursor; }
    void setImageScaleCursor(const QCursor &c) { m_scaleCursor = c; }
    bool focusable() const { return m_focusable; }
    void setFocusable(bool on);

    int imageScale() const { return m_scale; }
    void setImageScale(int scale);
    int pictureWidth() const { return m_pictureWidth; }
    int pictureHeight() const { return m_pictureHeight; }

    // A hidden scroll bar means no scrolling at all in its direction.
    bool horzScrollBarVisible() const { return m_horzVisible; }
    void setHorzScrollBarVisible(bool on);
    bool vertScrollBarVisible() const { return m_vertVisible; }
    void setVertScrollBarVisible(bool on);
    int horzPosition() const;
    int vertPosition() const;
    void setHorzPosition(int pos);
    void setVertPosition(int pos);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    // The part of the box the picture is shown in: the box without its visible scroll bars.
    QSize viewSize() const { return m_view; }
    QScrollBar *horizontalScrollBar() { return bar(Qt::Horizontal); }
    QScrollBar *verticalScrollBar() { return bar(Qt::Vertical); }

    // To be called after new content was put into Image.
    void PictureLoaded();
    void StepImageScale(bool up);
    void LayoutImage(bool resetPosition);

    bool isDragging() const { return m_dragging; }

signals:
    // Raised with Image as sender for a click on the picture, with the box for one beside it.
    void OnClick(QObject *sender);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void OnScroll(TPixImageBox *sender);
    void OnOptionsChange(TPixImageBox *sender);
    void OnResize(TPixImageBox *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void NotifyScrolled();
    void imageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void imageMouseMove(const QPoint &pos);
    void imageMouseUp(Qt::MouseButton button);
    void placeImage();
    void updateRanges();
    QScrollBar *bar(Qt::Orientation orientation);
    void showBar(Qt::Orientation orientation, bool shown, int maximum);
    void setPosition(Qt::Orientation orientation, int pos);
    void setOverrideCursor(const QCursor &cursor);
    void restoreCursor();
    void pinOverlay();

    TPixImage *m_image = nullptr;
    QLabel *m_overlay = nullptr;
    bool m_fitToWindow = false;
    bool m_fitOnlyBig = true;
    bool m_center = true;
    bool m_keepPosition = true;
    bool m_drag = true;
    QCursor m_dragCursor {Qt::SizeAllCursor};
    QCursor m_scaleCursor {Qt::SizeVerCursor};
    bool m_focusable = true;
    bool m_autoScroll = false;
    bool m_horzVisible = true;
    bool m_vertVisible = true;
    int m_scale = 100;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    QPoint m_offset; // where the layout put the picture in the content
    bool m_dragging = false;
    bool m_held = false;
    QPoint m_dragStart;
    bool m_cursorOverridden = false;
    bool m_boxPressed = false;
    int m_wheelRemainder = 0;
    int m_layoutDepth = 0;
    QColor m_color = QColor(0xF0, 0xF0, 0xF0);
    QSize m_view;
    int m_hpos = 0;
    int m_vpos = 0;
    int m_hmax = 0;
    int m_vmax = 0;
    QScrollBar *m_hbar = nullptr;
    QScrollBar *m_vbar = nullptr;
    int m_tag = 0;
    bool m_syncing = false; // the box itself is setting a bar's value
};
