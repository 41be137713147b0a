#pragma once
// GNOME's do-not-disturb switch: the "show-banners" key of the
// "org.gnome.desktop.notifications" settings is off while it is on. Changes are heard through
// GSettings on the main loop (Qt's event loop runs GLib's main context on Linux).

#include "platform/desktop_focus.h"

#include <memory>

namespace quorlix::platform {

class GnomeDesktopFocus final : public DesktopFocus {
public:
    // None when the settings schema is not installed.
    static std::unique_ptr<GnomeDesktopFocus> create();
    ~GnomeDesktopFocus() override;

    std::optional<bool> doNotDisturb() override;
    Subscription observe(std::function<void()> handler) override;

private:
    struct Settings;
    explicit GnomeDesktopFocus(std::unique_ptr<Settings> settings);

    std::unique_ptr<Settings> settings_;
    Signal<> changes_;
};

}  // namespace quorlix::platform
