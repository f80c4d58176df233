#include "runtime/display.h"

#include <QByteArray>
#include <QList>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

[[noreturn]] void endWith(const QString& line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
    std::_Exit(1);
}

// Without a display Qt reports in several lines and aborts.
void heldBack(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg)
        endWith(noDisplayLine());
    held.append(text.toLocal8Bit());
}

} // namespace

void holdStartupMessages()
{
    qtHandler = qInstallMessageHandler(heldBack);
}

void displayOpened()
{
    qInstallMessageHandler(qtHandler);
    for (const QByteArray& line : std::exchange(held, {}))
        std::fprintf(stderr, "%s\n", line.constData());
}

} // namespace rt
