#pragma once
// The workspace on Linux. The media players are known through MPRIS: a player runs while it
// is on the session bus and quits when it leaves it, and it tells its desktop entry.
// Installed applications are found by their desktop entries (a player's own entry, then one
// named after the identifier); opening one raises a running player or starts the entry's
// command. Icons come from the entry's icon through the icon theme. Web addresses go to
// xdg-open, which hands them to the desktop's default browser.
//
// Files: a file's icon is its MIME type's icon in the icon theme; it opens with the default
// application of its type (GIO's choice, from the desktop's mimeapps lists); the file manager
// shows it through org.freedesktop.FileManager1, and when no file manager answers there its
// folder opens instead. A file's type (told by its first bytes) and its thumbnail
// (file_thumbnail.h) are found off the main thread, a few files at a time; the icon theme is
// asked on the main thread.
//
// Only this application itself can be known to be in front: the desktop gives no portable
// way to ask which other application is.

#include "platform/detached_workers.h"
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
    WorkItem fileIcon(const std::string& path, std::function<void(std::optional<Image>)> done) override;
    void openFile(const std::string& path) override;
    void activateFileViewerSelecting(const std::vector<std::string>& paths) override;
    WorkItem thumbnail(const std::string& path, Size size, double scale,
                       std::function<void(std::optional<Image>)> done) override;
    void openURL(const std::string& url) override;

    // This application's own identifier.
    static constexpr const char* ownIdentifier = "com.halvik.quorlix";

private:
    MprisBus& bus_;
    // A few at a time, never waited for: a file that hangs its reader (a FIFO opened at the
    // wrong moment, a network mount that stopped answering) holds back neither the other files'
    // types and thumbnails nor quitting.
    DetachedWorkers thumbnails_{3};
};

}  // namespace quorlix::platform
