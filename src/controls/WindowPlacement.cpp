#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace WindowPlacement {

QPoint centredFramePosition(const QRect &area, const QSize &client, const QMargins &frame)
{
    const int width = client.width() + frame.left() + frame.right();
    const int height = client.height() + frame.top() + frame.bottom();
    return {area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2};
}

namespace {

QMargins ownFrame(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// The frame of the window if it is known, otherwise that of a shown window of the same kind.
QMargins likelyFrame(const QWidget *window)
{
    if (const QMargins own = ownFrame(window); !own.isNull())
        return own;
    const Qt::WindowType kind = window->windowType();
    for (const QWindow *other : QGuiApplication::topLevelWindows()) {
        if (other != window->windowHandle() && other->isVisible() && other->type() == kind
            && !other->frameMargins().isNull())
            return other->frameMargins();
    }
    return {};
}

// Watches the window until the window manager has framed it, then centres it once more with its
// real frame, and goes.
class FrameWatch : public QObject
{
public:
    FrameWatch(QWidget *window, QScreen *screen, const QMargins &used)
        : QObject(window)
        , m_window(window)
        , m_screen(screen)
        , m_used(used)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || event->type() != QEvent::Move)
            return false;
        const QMargins frame = ownFrame(m_window);
        if (frame.isNull())
            return false; // not framed yet
        m_window->removeEventFilter(this);
        // Moved once the event has been handled: a move from inside it may be overridden.
        QMetaObject::invokeMethod(
            this,
            [this, frame] {
                if (frame != m_used && m_screen)
                    m_window->move(centredFramePosition(m_screen->availableGeometry(),
                                                        m_window->size(), frame));
                deleteLater();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    QWidget *m_window;
    QPointer<QScreen> m_screen;
    QMargins m_used;
};

} // namespace

void centreOnScreen(QWidget *window, QScreen *screen)
{
    if (!screen)
        return;
    const QMargins frame = likelyFrame(window);
    // For a window, move() places its frame.
    window->move(centredFramePosition(screen->availableGeometry(), window->size(), frame));
    const QString watchName = QStringLiteral("frameWatch");
    if (ownFrame(window).isNull()
        && !window->findChild<QObject *>(watchName, Qt::FindDirectChildrenOnly))
        (new FrameWatch(window, screen, frame))->setObjectName(watchName);
}

} // namespace WindowPlacement
