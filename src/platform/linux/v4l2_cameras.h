#pragma once
// Cameras as Video4Linux capture nodes (/dev/video0, ...).
//
// A camera is in use while another process holds its node open: inotify reports every open
// and close of a node, and a reading looks through the open files of the processes in /proc.
// Only processes whose /proc entries this user may read are seen, which covers the user's
// own applications. A node that appears later (a camera plugged in) is listed and watched as
// soon as it can be opened; one that disappears keeps its id for when it comes back.
//
// Events are read on the Qt event loop of the thread that created the object (the main one).
// Destroying it never waits on the kernel: its inotify instance is closed on a thread of its
// own.

#include "platform/cameras.h"
#include "platform/listener_table.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace quorlix::platform {

class V4l2Cameras final : public Cameras {
public:
    // Whether a node captures video; none when it cannot be asked (yet), for instance while
    // its permissions are still being set up.
    using CaptureProbe = std::function<std::optional<bool>(const std::filesystem::path& node)>;

    // Asks the driver whether the node offers video capture (metadata nodes do not).
    static std::optional<bool> isVideoCapture(const std::filesystem::path& node);

    // `nodes` is the folder holding the video nodes and `processes` the proc file system;
    // tests point them elsewhere.
    explicit V4l2Cameras(std::filesystem::path nodes = "/dev", CaptureProbe probe = isVideoCapture,
                         std::filesystem::path processes = "/proc");
    ~V4l2Cameras() override;

    std::optional<std::vector<CameraID>> cameras() const override;
    std::optional<bool> isRunningSomewhere(CameraID camera) const override;
    [[nodiscard]] Subscription listenRunning(CameraID camera, std::function<void()> changed) override;
    [[nodiscard]] Subscription listenCameras(std::function<void()> changed) override;

private:
    struct Node {
        CameraID id = 0;
        std::string path;
        int watch = -1;
    };

    // Brings the list of nodes up to date.
    void rescan();
    void readEvents();
    const Node* node(CameraID camera) const;

    std::filesystem::path folder_;
    std::filesystem::path processes_;
    CaptureProbe probe_;
    int inotify_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool folderReadable_ = false;
    // Present capture nodes, in node-number order.
    std::vector<Node> nodes_;
    // Every path seen, with its id, for the life of the object.
    std::map<std::string, CameraID> ids_;
    // Conclusive answers of the probe, by path, while the node exists.
    std::map<std::string, bool> probed_;
    ListenerTable<CameraID> running_;
    Signal<> listChanged_;
};

}  // namespace quorlix::platform
