#include "runtime/window_frames.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace rt {

WindowFrames::WindowFrames(QWindow& window) : window_(window)
{
    follow(window.screen());
    QObject::connect(&window, &QWindow::screenChanged, &context_, [this](QScreen* screen) {
        follow(screen);
        changed();
    });
}

WindowFrames::~WindowFrames() = default;

std::unique_ptr<WindowFrames> WindowFrames::of(QWindow& window)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return x11Frames(window);
    if (platform.startsWith(QLatin1String("wayland")))
        return waylandFrames(window);
    return nullptr;
}

double WindowFrames::refreshRate() const
{
    const QScreen* screen = window_.screen();
    return screen ? screen->refreshRate() : 0;
}

void WindowFrames::setSeen(bool seen)
{
    if (seen == seen_)
        return;
    seen_ = seen;
    changed();
}

void WindowFrames::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    if (onVisibility)
        onVisibility();
    changed();
}

void WindowFrames::follow(QScreen* screen)
{
    QObject::disconnect(rateChanged_);
    if (screen)
        rateChanged_ = QObject::connect(screen, &QScreen::refreshRateChanged, &context_, [this] { changed(); });
}

void WindowFrames::changed()
{
    if (onChange)
        onChange();
}

} // namespace rt
