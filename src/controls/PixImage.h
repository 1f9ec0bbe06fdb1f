#pragma once

#include "Picture.h"

#include <QTimer>
#include <QWidget>

class QPainter;

// Paints one picture in its rectangle: at natural size, stretched, or scaled with its aspect
// ratio kept, optionally centred. Every ordinary paint uses a plain stretch; with Resample on,
// once no paint has come for ResampleDelay milliseconds the picture is drawn once more with a
// smoothing stretch, so scrolling stays fast and the picture turns smooth when it rests.
class TPixImage : public QWidget
{
    Q_OBJECT

public:
    explicit TPixImage(QWidget *parent = nullptr);

    const TPicture &picture() const { return m_picture; }
    // Copies the content and runs the picture-changed handling.
    void setPicture(const TPicture &picture);
    void setPicture(const QImage &image);
    // Loads the picture from the bytes of a file. Qt's readers report no progress of their own,
    // so a load reports its start and its end.
    bool loadPicture(const QByteArray &bytes);

    bool stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool proportional() const { return m_proportional; }
    void setProportional(bool on);
    bool center() const { return m_center; }
    void setCenter(bool on);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    bool incrementalDisplay() const { return m_incrementalDisplay; }
    void setIncrementalDisplay(bool on) { m_incrementalDisplay = on; }
    bool resample() const { return m_resample; }
    void setResample(bool on);
    int resampleDelay() const { return m_delay.interval(); }
    void setResampleDelay(int ms);
    QColor resampleBackColor() const { return m_resampleBackColor; }
    void setResampleBackColor(const QColor &color) { m_resampleBackColor = color; }

    QRect DrawingRect() const;
    // Makes the picture an opaque 24-bit raster on background; false on failure.
    bool ConvertTo24Bit(const QColor &background);
    bool isOpaque() const { return m_opaque; }
    bool isSmoothPassPending() const { return m_delay.isActive(); }
    // The part of the control the last smooth pass scaled: only what was in view.
    QRect smoothedArea() const { return m_smoothedArea; }

    QSize sizeHint() const override;

signals:
    // After each smooth pass, never after an ordinary paint.
    void OnPaint(TPixImage *sender);
    // Loading progress: stage (0 starting, 1 running, 2 ending), percent, redraw now, area, text.
    void OnProgress(TPixImage *sender, int stage, int percent, bool redrawNow, const QRect &rect,
                    const QString &message);
    void OnClick(TPixImage *sender);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void pictureChanged();
    void smoothPass();
    void paintSmooth(QPainter &painter, const QRect &target, const QRect &exposed);
    void progress(int stage, int percent, bool redrawNow);

    TPicture m_picture;
    bool m_stretch = false;
    bool m_proportional = false;
    bool m_center = false;
    bool m_transparent = false;
    bool m_autoSize = false;
    bool m_incrementalDisplay = false;
    bool m_resample = false;
    QColor m_resampleBackColor = Qt::white;
    bool m_drawing = false;
    bool m_opaque = false;
    bool m_smoothing = false; // the paint now running is the smooth pass
    bool m_leftPressed = false;
    QRect m_smoothedArea;
    QTimer m_delay;
};
