#include "runtime/display.h"

#include <QByteArray>
#include <QList>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace rt {

namespace {

QList<QByteArray> held;
QtMessageHandler qtHandler = nullptr;

// Qt finds the "wayland" platform in this plugin, and skips Wayland without it.
bool waylandPluginInstalled()
{
    return !QPluginLoader(QStringLiteral("platforms/qwayland-generic")).fileName().isEmpty();
}

// What is missing, for each kind of display the user's choice of platform
// lets Qt try (without a choice, Qt tries Wayland and then X).
QString noDisplayLine()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString x = qEnvironmentVariable("DISPLAY");
    const bool triesWayland = platform.isEmpty() || platform.contains(QLatin1String("wayland"));
    const bool triesX = platform.isEmpty() || platform.contains(QLatin1String("xcb"));
    QStringList missing;
    if (triesWayland && triesX && wayland.isEmpty() && x.isEmpty()) {
        missing << "neither WAYLAND_DISPLAY nor DISPLAY is set";
    } else {
        if (triesWayland)
            missing << (wayland.isEmpty()           ? QString("WAYLAND_DISPLAY is not set")
                        : waylandPluginInstalled() ? "cannot open Wayland display " + wayland
                                                   : "no Qt Wayland plugin for Wayland display " + wayland);
        if (triesX)
            missing << (x.isEmpty() ? QString("DISPLAY is not set") : "cannot open X display " + x);
    }
    QString line = "brisora: cannot open a display";
    if (!missing.isEmpty())
        line += ": " + missing.join("; ");
    if (!platform.isEmpty())
        line += " (QT_QPA_PLATFORM=" + platform + ")";
    return line;
}

// Qt gives one of these warnings when the connection to the display breaks,
// then exits by itself. Wayland: with status 1 on Qt 6.4, 255 on Qt 6.8, and
// at times after the same warning from a second thread; Qt 6.8 told to
// reconnect does not exit. X11: when Xlib is the first to notice, it adds
// lines of its own.
bool displayLost(QtMsgType type, const QString& text)
{
    if (type != QtWarningMsg)
        return false;
    if (text.startsWith(QLatin1String("The X11 connection broke")))
        return true;
    return text.startsWith(QLatin1String("The Wayland connection ")) && !qEnvironmentVariableIsSet("QT_WAYLAND_RECONNECT");
}

// The first caller ends the program; any other thread waits here for that.
[[noreturn]] void endWith(const QString& line)
{
    static std::mutex ending;
    ending.lock();
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
    std::_Exit(1);
}

// Without a display Qt reports in several lines and aborts.
void heldBack(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg)
        endWith(noDisplayLine());
    if (displayLost(type, text))
        endWith("brisora: " + text);
    held.append(text.toLocal8Bit());
}

void running(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (displayLost(type, text))
        endWith("brisora: " + text);
    qtHandler(type, context, text);
}

} // namespace

void holdStartupMessages()
{
    qtHandler = qInstallMessageHandler(heldBack);
}

void endNow(int status)
{
    std::fflush(nullptr);
#ifdef __SANITIZE_ADDRESS__
    // What is still in use is reachable from here; anything lost is a leak.
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}

void displayOpened()
{
    qInstallMessageHandler(running);
    for (const QByteArray& line : std::exchange(held, {}))
        std::fprintf(stderr, "%s\n", line.constData());
}

} // namespace rt
