#include "runtime/display.h"

#include <QByteArray>
#include <QList>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <mutex>
#include <utility>
#include <wayland-client.h>
#include <xcb/xcb.h>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace rt {

namespace {

QList<QByteArray> held;
QtMessageHandler qtHandler = nullptr;
bool glTurnedOff = false;

// The kinds of display the user's choice of platforms ("name:options;...")
// lets Qt try (without a choice, Qt tries Wayland and then X).
struct Tried {
    bool wayland = false;
    bool x = false;
};

Tried tried()
{
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        return {true, true};
    Tried tried;
    for (const QString& platform : platforms.split(QLatin1Char(';'))) {
        const QString name = platform.section(QLatin1Char(':'), 0, 0);
        tried.wayland |= name.startsWith(QLatin1String("wayland"));
        tried.x |= name == QLatin1String("xcb");
    }
    return tried;
}

bool waylandAnswers()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display)
        wl_display_disconnect(display);
    return display != nullptr;
}

bool xAnswers()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return answers;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Whether the compositor draws windows' decorations where asked
// (xdg-decoration), so that Qt draws none.
bool compositorDecorates()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool offered = false;
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

// Every pixel reaches a Wayland compositor through shared memory, yet Qt
// 6.4 loads its client-buffer integration, and with it a GL driver that
// draws nothing (with Mesa's, more than half the program's memory), as soon
// as a window asks whether it may have a title bar; it draws one only with
// an integration. Where the compositor decorates windows there is none for
// Qt to draw, and the integration is turned off by a name Qt has none for,
// unless the user chose one. (Qt 6.8 loads it only for GL windows.)
void noGlDriver()
{
    if (qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION") || !tried().wayland ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIntValue("QT_WAYLAND_DISABLE_WINDOWDECORATION") ||
        !compositorDecorates())
        return;
    qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
    glTurnedOff = true;
}
#else
void noGlDriver() {}
#endif

// Qt's two warnings that it found no integration by that name.
bool aboutNoGl(const QMessageLogContext& context, const QString& text)
{
    return glTurnedOff && qstrcmp(context.category, "qt.qpa.wayland") == 0 && text.contains(QLatin1String("client buffer integration"));
}

// Qt finds the "wayland" platform in this plugin, and skips Wayland without it.
bool waylandPluginInstalled()
{
    return !QPluginLoader(QStringLiteral("platforms/qwayland-generic")).fileName().isEmpty();
}

// Qt failed for want of a display when it tried one at least and none it
// tried is there: named, answering, and for Wayland with Qt's plugin. Where
// one is there, or Qt tried none, the cause is another.
bool displayMissing()
{
    const auto [triesWayland, triesX] = tried();
    const bool wayland = triesWayland && !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty() && waylandPluginInstalled() && waylandAnswers();
    const bool x = triesX && !qEnvironmentVariable("DISPLAY").isEmpty() && xAnswers();
    return (triesWayland || triesX) && !wayland && !x;
}

QString platformNote()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    return platform.isEmpty() ? QString() : " (QT_QPA_PLATFORM=" + platform + ")";
}

// What is missing, for each kind of display Qt tried.
QString noDisplayLine()
{
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString x = qEnvironmentVariable("DISPLAY");
    const auto [triesWayland, triesX] = tried();
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
    return line + platformNote();
}

// Any other failure: the program's line, then Qt's own, which say why.
QString cannotStartLines(const QString& fatal)
{
    QStringList lines{"brisora: cannot start" + platformNote() + ":"};
    for (const QByteArray& line : held)
        lines << QString::fromLocal8Bit(line);
    return (lines << fatal.trimmed()).join(QLatin1Char('\n'));
}

// Qt gives one of these warnings when the connection to the display breaks,
// then exits by itself. Wayland: with status 1 on Qt 6.4, 255 on Qt 6.8, and
// at times after the same warning from a second thread. Told to reconnect
// (QT_WAYLAND_RECONNECT, which some desktop sessions set), Qt 6.8 goes on
// after the same warning and crashes in its reconnection, a least widgets
// program too, and the program's own surfaces on the old connection would
// be left behind: it ends there all the same. X11: when Xlib is the first
// to notice, it adds lines of its own.
bool displayLost(QtMsgType type, const QString& text)
{
    if (type != QtWarningMsg)
        return false;
    if (text.startsWith(QLatin1String("The X11 connection broke")))
        return true;
    return text.startsWith(QLatin1String("The Wayland connection "));
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

// Qt reports a failed start in several lines and aborts. Without a display
// they say less plainly what the one line says; for any other cause they are
// the reason.
void heldBack(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (aboutNoGl(context, text))
        return;
    const QString line = qFormatLogMessage(type, context, text);
    if (type == QtFatalMsg)
        endWith(displayMissing() ? noDisplayLine() : cannotStartLines(line));
    if (displayLost(type, text))
        endWith("brisora: " + text);
    held.append(line.toLocal8Bit());
}

void running(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (displayLost(type, text))
        endWith("brisora: " + text);
    if (!aboutNoGl(context, text))
        qtHandler(type, context, text);
}

// glibc serves a large allocation with a mapping of its own, given back
// when freed, but raises that threshold to the size of each such block
// freed. Under Wayland Qt drops an image of the whole window at the start,
// after which every image comes from the heap, whose freed middle stays
// the program's: 2 MB under weston. Held at glibc's starting value, large
// images go back to the system, at the cost of a mapping each: one every
// few seconds, two or three a second at a scale of 2 on X11.
void imagesGivenBack()
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

} // namespace

void holdStartupMessages()
{
    imagesGivenBack();
    noGlDriver();
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
