#include "PixImageBox.h"

#include "PixGeometry.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <optional>

TPixImageBox::TPixImageBox(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus); // follows Focusable
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_image = new TPixImage(this);
    m_image->setAutoSize(false);
    m_image->setIncrementalDisplay(true);
    connect(m_image, &TPixImage::OnClick, this,
            [this](TPixImage *sender) { emit OnClick(sender); });
    connect(m_image, &TPixImage::OnMouseDown, this, &TPixImageBox::imageMouseDown);
    connect(m_image, &TPixImage::OnMouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint &pos) {
                imageMouseMove(pos);
            });
    connect(m_image, &TPixImage::OnMouseUp, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers, const QPoint &) { imageMouseUp(b); });
    connect(m_image, &TPixImage::OnPaint, this, [this] {
        if (m_overlay && m_overlay->isVisible())
            m_overlay->repaint();
    });
    connect(m_image, &TPixImage::OnProgress, this, [this] {
        repaint();
        update();
    });
    updateRanges();
}

QScrollBar *TPixImageBox::bar(Qt::Orientation orientation)
{
    QScrollBar *&bar = orientation == Qt::Horizontal ? m_hbar : m_vbar;
    if (!bar) {
        bar = new QScrollBar(orientation, this);
        bar->setTracking(true); // the picture follows the thumb
        bar->setSingleStep(8);
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this, orientation](int value) {
            if (m_syncing)
                return;
            (orientation == Qt::Horizontal ? m_hpos : m_vpos) = value;
            placeImage();
            pinOverlay();
        });
        // User actions on a scroll bar count as scrolling; the layout's own moves do not.
        connect(bar, &QScrollBar::actionTriggered, this, [this] {
            QMetaObject::invokeMethod(this, &TPixImageBox::NotifyScrolled, Qt::QueuedConnection);
        });
    }
    return bar;
}

void TPixImageBox::showBar(Qt::Orientation orientation, bool shown, int maximum)
{
    QScrollBar *existing = orientation == Qt::Horizontal ? m_hbar : m_vbar;
    if (!shown && !existing)
        return;
    QScrollBar *b = bar(orientation);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_syncing = true;
    b->setRange(0, maximum);
    if (orientation == Qt::Horizontal) {
        b->setPageStep(std::max(1, m_view.width()));
        b->setGeometry(0, height() - extent, m_view.width(), extent);
        b->setValue(m_hpos);
    } else {
        b->setPageStep(std::max(1, m_view.height()));
        b->setGeometry(width() - extent, 0, extent, m_view.height());
        b->setValue(m_vpos);
    }
    m_syncing = false;
    b->setVisible(shown);
    if (shown)
        b->raise();
}

QLabel *TPixImageBox::OverlayLabel()
{
    if (!m_overlay) {
        m_overlay = new QLabel(this);
        QFont bold = m_overlay->font();
        bold.setBold(true);
        m_overlay->setFont(bold);
        QPalette pal = m_overlay->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        m_overlay->setPalette(pal);
        m_overlay->hide();
        pinOverlay();
    }
    return m_overlay;
}

void TPixImageBox::pinOverlay()
{
    if (!m_overlay)
        return;
    m_overlay->move(0, 0);
    m_overlay->raise();
}

void TPixImageBox::setImageFitToWindow(bool on)
{
    if (m_fitToWindow == on)
        return;
    m_fitToWindow = on;
    if (!on)
        m_scale = 100;
    LayoutImage(true);
}

void TPixImageBox::setImageFitOnlyBig(bool on)
{
    if (m_fitOnlyBig == on)
        return;
    m_fitOnlyBig = on;
    LayoutImage(true);
}

void TPixImageBox::setImageCenter(bool on)
{
    if (m_center == on)
        return;
    m_center = on;
    LayoutImage(true);
}

void TPixImageBox::setFocusable(bool on)
{
    if (m_focusable == on)
        return;
    m_focusable = on;
    // The toolkit itself focuses a click-focus widget on any press, before the press handlers.
    setFocusPolicy(on ? Qt::StrongFocus : Qt::TabFocus);
}

void TPixImageBox::setImageScale(int scale)
{
    if (m_scale == scale)
        return;
    m_scale = scale;
    m_fitToWindow = false;
    LayoutImage(false);
    emit OnOptionsChange(this);
}

void TPixImageBox::setHorzScrollBarVisible(bool on)
{
    m_horzVisible = on;
    updateRanges();
    placeImage();
}

void TPixImageBox::setVertScrollBarVisible(bool on)
{
    m_vertVisible = on;
    updateRanges();
    placeImage();
}

int TPixImageBox::horzPosition() const
{
    return m_hpos;
}

int TPixImageBox::vertPosition() const
{
    return m_vpos;
}

void TPixImageBox::setHorzPosition(int pos)
{
    setPosition(Qt::Horizontal, pos);
}

void TPixImageBox::setVertPosition(int pos)
{
    setPosition(Qt::Vertical, pos);
}

void TPixImageBox::setPosition(Qt::Orientation orientation, int pos)
{
    // Clamped as a scroll bar clamps it: nothing moves without a visible bar.
    const bool horizontal = orientation == Qt::Horizontal;
    int &current = horizontal ? m_hpos : m_vpos;
    const int clamped = std::clamp(pos, 0, horizontal ? m_hmax : m_vmax);
    if (clamped == current)
        return;
    current = clamped;
    if (QScrollBar *bar = horizontal ? m_hbar : m_vbar) {
        m_syncing = true;
        bar->setValue(clamped);
        m_syncing = false;
    }
    placeImage();
}

void TPixImageBox::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void TPixImageBox::paintEvent(QPaintEvent *event)
{
    // The part of the view the picture does not cover shows the box's colour.
    QPainter p(this);
    p.fillRect(event->rect(), m_color);
}

void TPixImageBox::PictureLoaded()
{
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    m_scale = 100;
    const TPicture &picture = m_image->picture();
    if (picture.isEmpty())
        return;
    if (picture.isIcon()) {
        // Drawn as a bitmap, an icon scales like any raster picture.
        m_image->setTransparent(false);
        m_image->ConvertTo24Bit(color());
    }
    m_pictureWidth = m_image->picture().width();
    m_pictureHeight = m_image->picture().height();
    LayoutImage(true);
}

void TPixImageBox::StepImageScale(bool up)
{
    if (const auto next = PixGeometry::stepScale(m_scale, up))
        setImageScale(*next);
}

void TPixImageBox::updateRanges()
{
    // As scroll bars shown when needed: a bar comes when the picture is larger than the view,
    // and the view shrinks by the bars that are shown.
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize content = m_image
        ? QSize(m_offset.x() + m_image->width(), m_offset.y() + m_image->height())
        : QSize();
    const bool canH = m_autoScroll && m_horzVisible;
    const bool canV = m_autoScroll && m_vertVisible;
    bool needV = canV && content.height() > height();
    const bool needH = canH && content.width() > width() - (needV ? extent : 0);
    if (needH && !needV)
        needV = canV && content.height() > height() - extent;
    m_view = QSize(std::max(0, width() - (needV ? extent : 0)),
                   std::max(0, height() - (needH ? extent : 0)));
    m_hmax = needH ? std::max(0, content.width() - m_view.width()) : 0;
    m_vmax = needV ? std::max(0, content.height() - m_view.height()) : 0;
    m_hpos = std::clamp(m_hpos, 0, m_hmax);
    m_vpos = std::clamp(m_vpos, 0, m_vmax);
    showBar(Qt::Horizontal, needH, m_hmax);
    showBar(Qt::Vertical, needV, m_vmax);
}

void TPixImageBox::placeImage()
{
    m_image->move(m_offset.x() - horzPosition(), m_offset.y() - vertPosition());
}

void TPixImageBox::LayoutImage(bool resetPosition)
{
    // A view resized by scroll bars coming or going lays out once more, and no further.
    if (m_layoutDepth > 1)
        return;
    ++m_layoutDepth;
    const bool keep = m_keepPosition && !resetPosition;

    const QSize before = m_view;
    const QRect bounds = m_image->geometry();
    double relX = 0;
    double relY = 0;
    if (bounds.width() > 0) {
        relX = bounds.left() < 0 ? (before.width() / 2 + horzPosition()) / double(bounds.width())
                                 : (before.width() / 2 - bounds.left()) / double(bounds.width());
    }
    if (bounds.height() > 0) {
        relY = bounds.top() < 0 ? (before.height() / 2 + vertPosition()) / double(bounds.height())
                                : (before.height() / 2 - bounds.top()) / double(bounds.height());
    }
    if (!keep) {
        setHorzPosition(0);
        setVertPosition(0);
    }
    m_autoScroll = !m_fitToWindow;
    m_image->setAutoSize(!m_fitToWindow && m_scale == 100);
    m_image->setStretch(!m_image->autoSize());
    updateRanges();

    const int w = m_view.width();
    const int h = m_view.height();
    PixGeometry::Displayed d;
    if (m_fitToWindow) {
        d = PixGeometry::fittedSize(m_pictureWidth, m_pictureHeight, w, h, m_fitOnlyBig, m_scale);
        m_scale = d.scale;
    } else {
        d = PixGeometry::scaledSize(m_pictureWidth, m_pictureHeight, m_scale);
    }
    int ox = 0;
    int oy = 0;
    if (m_center) {
        if (d.width < w)
            ox = (w - d.width) / 2;
        if (d.height < h)
            oy = (h - d.height) / 2;
    }
    m_offset = {ox, oy};
    m_image->resize(d.width, d.height);
    updateRanges();
    placeImage();

    if (keep) {
        const int vw = m_view.width();
        const int vh = m_view.height();
        setHorzPosition(
            ox == 0 ? std::min(std::max(d.width - vw, 0), static_cast<int>(d.width * relX) - vw / 2)
                    : 0);
        setVertPosition(oy == 0 ? std::min(std::max(d.height - vh, 0),
                                           static_cast<int>(d.height * relY) - vh / 2)
                                : 0);
    }
    pinOverlay();
    // Scroll bars that came or went changed the view: lay out once more for the new view, as a
    // resize of the view would.
    const bool viewChanged = m_view != QSize(w, h);
    --m_layoutDepth;
    if (viewChanged && m_layoutDepth == 0) {
        ++m_layoutDepth;
        LayoutImage(false);
        --m_layoutDepth;
    }
}

void TPixImageBox::NotifyScrolled()
{
    pinOverlay();
    emit OnScroll(this);
}

void TPixImageBox::resizeEvent(QResizeEvent *)
{
    emit OnResize(this);
    LayoutImage(false);
}

void TPixImageBox::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    m_wheelRemainder += delta.y() != 0 ? delta.y() : delta.x();
    while (std::abs(m_wheelRemainder) >= 120) {
        const bool away = m_wheelRemainder > 0;
        m_wheelRemainder += away ? -120 : 120;
        const Qt::KeyboardModifiers mods = event->modifiers();
        const int step = away ? -50 : 50;
        if (mods == Qt::NoModifier && event->buttons() == Qt::NoButton && !m_held) {
            setVertPosition(vertPosition() + step);
            NotifyScrolled();
        } else if (mods == Qt::ShiftModifier) {
            setHorzPosition(horzPosition() + step);
            NotifyScrolled();
        } else if (mods == Qt::ControlModifier || m_held) {
            StepImageScale(away);
            m_dragging = false;
            if (m_held)
                setOverrideCursor(m_scaleCursor);
        }
    }
    event->accept(); // every notch counts as handled
}

void TPixImageBox::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const int h = horzPosition();
    const int v = vertPosition();
    const int hPage = PixGeometry::pageStep(m_view.width());
    const int vPage = PixGeometry::pageStep(m_view.height());
    struct Move
    {
        bool horizontal;
        int position;
    };
    std::optional<Move> move;
    switch (event->key()) {
    case Qt::Key_Left:
        move = plain ? Move {true, h - 50} : ctrl ? Move {true, 0} : std::optional<Move>();
        break;
    case Qt::Key_Right:
        move = plain ? Move {true, h + 50} : ctrl ? Move {true, m_hmax} : std::optional<Move>();
        break;
    case Qt::Key_Up:
        move = plain ? Move {false, v - 50} : ctrl ? Move {false, 0} : std::optional<Move>();
        break;
    case Qt::Key_Down:
        move = plain ? Move {false, v + 50} : ctrl ? Move {false, m_vmax} : std::optional<Move>();
        break;
    case Qt::Key_PageUp:
        move = plain ? Move {false, v - vPage} : std::optional<Move>();
        break;
    case Qt::Key_PageDown:
        move = plain ? Move {false, v + vPage} : std::optional<Move>();
        break;
    case Qt::Key_Home:
        move = plain ? Move {true, h - hPage} : std::optional<Move>();
        break;
    case Qt::Key_End:
        move = plain ? Move {true, h + hPage} : std::optional<Move>();
        break;
    default:
        break;
    }
    if (!move) {
        event->ignore();
        return;
    }
    if (move->horizontal)
        setHorzPosition(move->position);
    else
        setVertPosition(move->position);
    NotifyScrolled();
    event->accept();
}

void TPixImageBox::mousePressEvent(QMouseEvent *event)
{
    if (m_focusable)
        setFocus(Qt::MouseFocusReason);
    m_boxPressed = event->button() == Qt::LeftButton;
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TPixImageBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_boxPressed) {
        m_boxPressed = false;
        if (QRect(QPoint(0, 0), m_view).contains(event->position().toPoint()))
            emit OnClick(this);
    }
}

void TPixImageBox::imageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                  const QPoint &pos)
{
    if (m_focusable)
        setFocus(Qt::MouseFocusReason);
    if (button == Qt::LeftButton) {
        m_held = true;
        if (m_drag) {
            m_dragging = true;
            m_dragStart = pos;
            setOverrideCursor(m_dragCursor);
        }
    }
    emit OnMouseDown(button, modifiers, pos);
}

void TPixImageBox::imageMouseMove(const QPoint &pos)
{
    if (!m_drag || !m_dragging)
        return;
    // The picture moves with the scroll, so the grabbed point stays under the pointer.
    setHorzPosition(horzPosition() + m_dragStart.x() - pos.x());
    setVertPosition(vertPosition() + m_dragStart.y() - pos.y());
    pinOverlay();
}

void TPixImageBox::imageMouseUp(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    m_held = false;
    m_dragging = false;
    restoreCursor();
}

void TPixImageBox::setOverrideCursor(const QCursor &cursor)
{
    if (m_cursorOverridden) {
        QGuiApplication::changeOverrideCursor(cursor);
        return;
    }
    QGuiApplication::setOverrideCursor(cursor);
    m_cursorOverridden = true;
}

void TPixImageBox::restoreCursor()
{
    if (!m_cursorOverridden)
        return;
    QGuiApplication::restoreOverrideCursor();
    m_cursorOverridden = false;
}

TPixImageBox::~TPixImageBox()
{
    restoreCursor();
}
