#pragma once
// The workspace on Linux. The media players are known through MPRIS: a player runs while it
// is on the session bus and quits when it leaves it, and it tells its desktop entry.
// Installed applications are found by their desktop entries (a player's own entry, then one
// named after the identifier); opening one raises a running player or starts the entry's
// command. Icons come from the entry's icon through the icon theme. Web addresses go to
// xdg-open, which hands them to the desktop's default browser.
//
// Only this application itself can be known to be in front: the desktop gives no portable
// way to ask which other application is.

#include "platform/linux/mpris_bus.h"
#include "platform/workspace.h"

namespace quorlix::platform {

class LinuxWorkspace final : public Workspace {
public:
    explicit LinuxWorkspace(MprisBus& bus) : bus_(bus) {}

    Subscription onApplicationTerminated(
        std::function<void(const std::optional<std::string>&)> handler) override;
    bool isRunning(const std::string& bundleIdentifier) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) const override;
    void openApplication(const std::string& location) override;
    std::optional<Image> icon(const std::string& location) const override;
    void openURL(const std::string& url) override;

    // This application's own identifier.
    static constexpr const char* ownIdentifier = "com.halvik.quorlix";

private:
    MprisBus& bus_;
};

}  // namespace quorlix::platform
