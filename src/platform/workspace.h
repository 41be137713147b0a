#pragma once
// Other applications as the workspace sees them: which are running, which one is in front,
// where an application is installed, its icon, opening it, and the news that one has quit.
// Applications are named by their identifier ("com.spotify.client"). And the user's files:
// a file's icon and thumbnail, opening it with its default application, showing it in the
// file manager; and web addresses, opened in the user's browser.
//
// Main thread only. The Linux backend knows the media players through MPRIS and finds
// installed applications through their desktop entries.

#include "platform/geometry.h"
#include "platform/image.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::int64_t processIdentifier = 0;
};

class Workspace {
public:
    virtual ~Workspace() = default;

    // Calls `handler` on the main thread whenever an application quits, with its identifier
    // (nothing when it has none), until the subscription ends.
    [[nodiscard]] virtual Subscription onApplicationTerminated(
        std::function<void(const std::optional<std::string>& bundleIdentifier)> handler) = 0;
    // Whether an application with this identifier is running now.
    virtual bool isRunning(const std::string& bundleIdentifier) const = 0;
    // The application in front, when known.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // Where the application with this identifier is installed, or nothing.
    virtual std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) const = 0;
    // Launches the application at `location`, or brings it forward when it runs.
    virtual void openApplication(const std::string& location) = 0;
    // The icon of the file or application at `location`, or nothing.
    virtual std::optional<Image> icon(const std::string& location) const = 0;

    // The icon of the file at `path` by its type, found off the main thread: telling the type
    // may read the file, which may hang its reader (a network mount that stopped answering).
    // `done` follows once, on the main thread, with nothing when no icon fits; destroying the
    // handle first means it never comes.
    [[nodiscard]] virtual WorkItem fileIcon(const std::string& path,
                                            std::function<void(std::optional<Image>)> done) = 0;
    // Opens the file at `path` with its default application.
    virtual void openFile(const std::string& path) = 0;
    // Shows the files at `paths` in the file manager, selected.
    virtual void activateFileViewerSelecting(const std::vector<std::string>& paths) = 0;
    // A thumbnail of the file at `path` that fits `size` points at `scale` pixels per point,
    // made off the main thread. `done` follows once, on the main thread, with nothing when the
    // file has none (its icon stands in); destroying the handle first means it never comes.
    [[nodiscard]] virtual WorkItem thumbnail(const std::string& path, Size size, double scale,
                                             std::function<void(std::optional<Image>)> done) = 0;
    // Opens the web address with the user's default handler and returns at once.
    virtual void openURL(const std::string& url) = 0;
};

}  // namespace quorlix::platform
