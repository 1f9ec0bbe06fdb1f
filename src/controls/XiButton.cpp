#include "XiButton.h"

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>

TXiButton::TXiButton(QWidget *parent)
    : QWidget(parent)
{
    resize(75, 25);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Not click focus: only a left press takes the focus, and the press handler does that.
    setFocusPolicy(Qt::TabFocus);
    m_state.colors = *schemeColors(TColorScheme::csSilver);
    m_state.colors[OverColorGrad] = Qt::white;
    m_state.colors[DownColorGrad] = Qt::white;
    m_state.colors[DisabledColorGrad] = Qt::white;
}

void TXiButton::setColor(XiColor index, const QColor &color)
{
    if (m_state.colors[index] == color)
        return;
    m_state.colors[index] = color;
    update();
}

void TXiButton::setColorScheme(TColorScheme scheme)
{
    m_scheme = scheme;
    if (const auto colors = schemeColors(scheme))
        m_state.colors = *colors;
    if (schemeHasWhiteFont(scheme)) {
        QPalette pal = palette();
        pal.setColor(QPalette::ButtonText, Qt::white);
        pal.setColor(QPalette::WindowText, Qt::white);
        setPalette(pal);
    }
    update();
}

void TXiButton::setCaption(const QString &caption)
{
    if (m_state.caption == caption)
        return;
    m_state.caption = caption;
    updateMnemonic();
    update();
}

#define XI_SETTER(Setter, field)                                                                   \
    void TXiButton::Setter(decltype(XiPaintState::field) value)                                    \
    {                                                                                              \
        if (m_state.field == value)                                                                \
            return;                                                                                \
        m_state.field = value;                                                                     \
        update();                                                                                  \
    }

XI_SETTER(setCtl3D, ctl3D)
XI_SETTER(setButtonLayout, layout)
XI_SETTER(setSpacing, spacing)
XI_SETTER(setTransparentGlyph, transparentGlyph)
XI_SETTER(setGradient, gradient)
XI_SETTER(setVerticalText, verticalText)
#undef XI_SETTER

void TXiButton::setGlyph(const QImage &glyph)
{
    m_state.glyph = glyph.copy();
    update();
}

void TXiButton::setRounded(bool on)
{
    if (m_state.rounded == on)
        return;
    m_state.rounded = on;
    m_clipped = false;
    update();
}

void TXiButton::setCancel(bool on)
{
    m_cancel = on;
    if (on && !m_cancelShortcut) {
        m_cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        m_cancelShortcut->setContext(Qt::WindowShortcut);
        connect(m_cancelShortcut, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible() && m_tabStop)
                click();
        });
    }
    if (m_cancelShortcut)
        m_cancelShortcut->setEnabled(on);
}

void TXiButton::setDefault(bool on)
{
    if (m_default == on)
        return;
    m_default = on;
    // A default button answers Enter pressed anywhere in its window.
    if (on && m_defaultKeys.isEmpty()) {
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
            auto *shortcut = new QShortcut(QKeySequence(key), this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, [this] {
                if (isEnabled() && isVisible())
                    click();
            });
            m_defaultKeys.append(shortcut);
        }
    }
    for (QShortcut *shortcut : std::as_const(m_defaultKeys))
        shortcut->setEnabled(on);
}

void TXiButton::setTabStop(bool on)
{
    m_tabStop = on;
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

void TXiButton::updateMnemonic()
{
    const QKeySequence key = QKeySequence::mnemonic(m_state.caption);
    if (key.isEmpty()) {
        delete m_mnemonic;
        m_mnemonic = nullptr;
        return;
    }
    if (!m_mnemonic) {
        m_mnemonic = new QShortcut(this);
        m_mnemonic->setContext(Qt::WindowShortcut);
        connect(m_mnemonic, &QShortcut::activated, this, [this] {
            if (isEnabled())
                click();
        });
    }
    m_mnemonic->setKey(key);
}

XiPaintState TXiButton::currentState() const
{
    XiPaintState s = m_state;
    s.size = size();
    s.font = font();
    s.scheme = m_scheme;
    s.focused = hasFocus();
    s.enabled = isEnabled();
    const QWidget *parent = parentWidget();
    s.parentBackground = parent ? parent->palette().color(parent->backgroundRole())
                                : palette().color(QPalette::Window);
    s.parentIsButtonFace =
        parent && s.parentBackground == parent->palette().color(QPalette::Button);
    return s;
}

QImage TXiButton::renderFace() const
{
    return paintButtonImage(currentState());
}

void TXiButton::paintEvent(QPaintEvent *)
{
    if (m_painting)
        return;
    m_painting = true;
    const XiPaintState s = currentState();
    QPainter p(this);
    p.drawImage(0, 0, paintButtonImage(s));
    if (s.rounded && !m_clipped) {
        setMask(roundedClipRegion(s.size));
        m_clipped = true;
    }
    paintButtonMarks(p, s);
    m_painting = false;
}

void TXiButton::setLook(Look look)
{
    m_state.look = look;
    repaint();
}

void TXiButton::click()
{
    if (auto *dialog = qobject_cast<QDialog *>(window()); dialog && m_modalResult != 0)
        dialog->done(m_modalResult);
    setLook(Look::Normal);
    emit OnClick();
}

void TXiButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_held = true;
        if (m_tabStop)
            setFocus(Qt::MouseFocusReason);
        setLook(Look::Down);
    } else if (event->button() == Qt::RightButton && (event->modifiers() & Qt::ControlModifier)
               && m_setShortcut) {
        emit OnSetShortcut();
    }
}

void TXiButton::mouseMoveEvent(QMouseEvent *event)
{
    // While held, leaving and re-entering the button works as the pointer's enter and leave do.
    if (!m_held)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    const Look wanted = inside ? Look::Down : Look::Normal;
    if (m_state.look != wanted && (inside ? m_hotTrack : true))
        setLook(wanted);
}

void TXiButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasHeld = m_held && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton)
        m_held = false;
    const QPoint p = event->position().toPoint();
    const bool inside = p.x() > 0 && p.x() < width() && p.y() > 0 && p.y() < height();
    if (inside)
        setLook(m_hotTrack ? Look::Over : Look::Normal);
    else
        setLook(Look::Normal);
    if (wasHeld && rect().contains(p))
        click();
}

void TXiButton::enterEvent(QEnterEvent *)
{
    if (m_hotTrack)
        setLook(m_held ? Look::Down : Look::Over);
}

void TXiButton::leaveEvent(QEvent *)
{
    setLook(Look::Normal);
}

void TXiButton::focusInEvent(QFocusEvent *)
{
    repaint();
}

void TXiButton::focusOutEvent(QFocusEvent *)
{
    setLook(Look::Normal);
}

void TXiButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            setLook(Look::Down);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Delivered to the button, Enter clicks it whatever modifier is held.
        click();
        repaint();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void TXiButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        setLook(Look::Normal);
        click();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TXiButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
