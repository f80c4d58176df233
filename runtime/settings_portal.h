#pragma once
// The desktop's light or dark preference, as the XDG Settings portal
// publishes it on the session bus (org.freedesktop.appearance color-scheme:
// 0 no preference, 1 dark, 2 light), which GNOME, KDE and wlroots desktops
// serve. The question goes out as soon as the portal is made; the window is
// built meanwhile, and the answer waited for only when it is first shown,
// and never for long.

#include "runtime/desktop.h"

#include <QDBusPendingCall>
#include <QVariantList>
#include <optional>

namespace rt {

class SettingsPortal final : public Desktop {
public:
    // A portal slower than this from the question leaves the window in the
    // light colour: a first frame later than that would be noticed.
    static constexpr int kPatienceMs = 250;

    SettingsPortal();
    bool prefersDark() override;
    // What the arguments of the portal's reply say.
    static bool saysDark(const QVariantList& reply);

private:
    std::optional<QDBusPendingCall> answer_;
};

} // namespace rt
