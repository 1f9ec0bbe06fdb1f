#pragma once

#include "XiButtonPainter.h"

#include <QWidget>

class QShortcut;

// The painted push button of every window: a gradient face, an outline, a glyph and a caption
// placed by a layout rule, and a colour set for each look (normal, pointed at, pressed,
// disabled), usually taken from a named scheme. Drawing lives in XiButtonPainter.
class TXiButton : public QWidget
{
    Q_OBJECT

public:
    using Look = XiPaintState::Look;

    explicit TXiButton(QWidget *parent = nullptr);

    // A number the owner keeps on the control, as the original controls' Tag.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    QColor color(XiColor index) const { return m_state.colors[index]; }
    void setColor(XiColor index, const QColor &color);

    TColorScheme colorScheme() const { return m_scheme; }
    void setColorScheme(TColorScheme scheme);

    QString caption() const { return m_state.caption; }
    void setCaption(const QString &caption);

    bool ctl3D() const { return m_state.ctl3D; }
    void setCtl3D(bool on);
    TButtonLayout buttonLayout() const { return m_state.layout; }
    void setButtonLayout(TButtonLayout layout);
    QImage glyph() const { return m_state.glyph; }
    void setGlyph(const QImage &glyph);
    int spacing() const { return m_state.spacing; }
    void setSpacing(int spacing);
    bool transparentGlyph() const { return m_state.transparentGlyph; }
    void setTransparentGlyph(bool on);
    bool gradient() const { return m_state.gradient; }
    void setGradient(bool on);
    bool rounded() const { return m_state.rounded; }
    void setRounded(bool on);
    bool verticalText() const { return m_state.verticalText; }
    void setVerticalText(bool on);

    // Stored only; the next paint or press uses them.
    bool setShortcut() const { return m_setShortcut; }
    void setSetShortcut(bool on) { m_setShortcut = on; }
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool on) { m_hotTrack = on; }
    bool menuButton() const { return m_state.menuButton; }
    void setMenuButton(bool on) { m_state.menuButton = on; }
    bool staticButton() const { return m_state.staticButton; }
    void setStaticButton(bool on) { m_state.staticButton = on; }
    bool deleteButton() const { return m_state.deleteButton; }
    void setDeleteButton(bool on) { m_state.deleteButton = on; }
    int dailyStock() const { return m_state.dailyStock; }
    void setDailyStock(int stock) { m_state.dailyStock = stock; }
    bool nyRadbryt() const { return m_state.nyRadbryt; }
    void setNyRadbryt(bool on) { m_state.nyRadbryt = on; }
    QString extraCaption() const { return m_state.extraCaption; }
    void setExtraCaption(const QString &t) { m_state.extraCaption = t; }
    QString captionUpperLeft() const { return m_state.captionUpperLeft; }
    void setCaptionUpperLeft(const QString &t) { m_state.captionUpperLeft = t; }
    QString captionUpperRight() const { return m_state.captionUpperRight; }
    void setCaptionUpperRight(const QString &t) { m_state.captionUpperRight = t; }
    QString captionDownRight() const { return m_state.captionDownRight; }
    void setCaptionDownRight(const QString &t) { m_state.captionDownRight = t; }
    QString captionPrice() const { return m_state.captionPrice; }
    void setCaptionPrice(const QString &t) { m_state.captionPrice = t; }
    bool cancel() const { return m_cancel; }
    void setCancel(bool on);
    bool isDefault() const { return m_default; }
    void setDefault(bool on);
    int modalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on);

    // Kept for the application; the button does not use them.
    bool autoSizeFont = false;
    QString memoryString;
    QString shortCutString;

    Look look() const { return m_state.look; }
    bool isHeld() const { return m_held; }
    // The face as the next paint draws it, without the marks.
    QImage renderFace() const;

    // Runs a click as a press and release on the button do.
    void click();

signals:
    void OnClick();
    void OnSetShortcut();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setLook(Look look);
    XiPaintState currentState() const;
    void updateMnemonic();

    XiPaintState m_state;
    TColorScheme m_scheme = TColorScheme::csSilver;
    bool m_held = false;
    bool m_painting = false;
    bool m_clipped = false;
    bool m_setShortcut = false;
    bool m_hotTrack = true;
    bool m_cancel = false;
    bool m_default = false;
    bool m_tabStop = true;
    int m_modalResult = 0;
    int m_tag = 0;
    QShortcut *m_cancelShortcut = nullptr;
    QShortcut *m_mnemonic = nullptr;
    QList<QShortcut *> m_defaultKeys;
};
