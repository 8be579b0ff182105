#include "runtime/screen_fit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vendrik {

namespace {

// A window on screen stays on its screen; a new one opens on its owner's, or on the screen the
// user works on.
QScreen* openingScreen(const QWidget* window)
{
    if (window->isVisible())
        return window->screen();
    if (const QWidget* owner = window->parentWidget())
        return owner->window()->screen();
    if (const QWidget* active = QApplication::activeWindow())
        return active->screen();
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

QMargins frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The window system's frame is known once a window is on screen: the window's own, else that of
// a window already shown, framed alike by the same window system.
QMargins expectedFrame(const QWidget* window)
{
    if (window->isVisible() || window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return frameOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible()) {
            const QMargins frame = frameOf(other);
            if (!frame.isNull())
                return frame;
        }
    return {};
}

struct Placement {
    QRect area;     // where the frame may lie
    QMargins frame;
    QSize outer;    // the frame's size, no larger than the area
};

Placement placementOf(QWidget* window)
{
    Placement p;
    if (QScreen* screen = openingScreen(window))
        p.area = screen->availableGeometry();
    p.frame = expectedFrame(window);
    const QSize framing(p.frame.left() + p.frame.right(), p.frame.top() + p.frame.bottom());
    p.outer = (window->size() + framing).boundedTo(p.area.size());
    return p;
}

// Gives the window the frame size and the frame's top-left corner; move() places a window by
// its frame, whose actual size the window system tells when the window is shown.
void place(QWidget* window, const Placement& p, QPoint topLeft)
{
    const QSize client = p.outer.shrunkBy(p.frame).expandedTo(QSize(1, 1));
    if (client.width() < window->width() || client.height() < window->height()) {
        // A window designed larger than the screen: its smallest size gives way first.
        window->setMinimumSize(window->minimumSize().boundedTo(client));
        window->resize(client);
    }
    topLeft.setX(std::clamp(topLeft.x(), p.area.left(), p.area.right() + 1 - p.outer.width()));
    topLeft.setY(std::clamp(topLeft.y(), p.area.top(), p.area.bottom() + 1 - p.outer.height()));
    window->move(topLeft);
}

} // namespace

void fitToScreen(QWidget* window)
{
    const Placement p = placementOf(window);
    if (p.area.isEmpty())
        return;
    place(window, p, window->frameGeometry().topLeft());
}

void centreOnScreen(QWidget* window)
{
    const Placement p = placementOf(window);
    if (p.area.isEmpty())
        return;
    place(window, p, p.area.center() - QPoint(p.outer.width() / 2, p.outer.height() / 2));
}

void fillScreen(QWidget* window)
{
    Placement p = placementOf(window);
    if (p.area.isEmpty())
        return;
    p.outer = p.area.size();
    const QSize client = p.outer.shrunkBy(p.frame);
    window->setMinimumSize(window->minimumSize().boundedTo(client));
    window->resize(client);
    window->move(p.area.topLeft());
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

} // namespace vendrik
