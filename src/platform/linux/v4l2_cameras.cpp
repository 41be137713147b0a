#include "platform/linux/v4l2_cameras.h"

#include <QSocketNotifier>

#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <set>
#include <system_error>
#include <thread>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t nodeEvents = IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;
constexpr std::uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO;

// The number of a "videoN" entry.
std::optional<unsigned> nodeNumber(std::string_view name) {
    constexpr std::string_view prefix = "video";
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return std::nullopt;
    unsigned number = 0;
    const auto digits = name.substr(prefix.size());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return number;
}

bool isNumber(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (*name < '0' || *name > '9') return false;
    return true;
}

// Whether a process other than this one has `path` open, going through /proc/<pid>/fd.
bool heldOpenElsewhere(const fs::path& processes, const std::string& path) {
    DIR* all = opendir(processes.c_str());
    if (!all) return false;
    const std::string self = std::to_string(getpid());
    bool found = false;
    std::array<char, 4096> target{};
    while (!found) {
        const dirent* process = readdir(all);
        if (!process) break;
        if (!isNumber(process->d_name) || self == process->d_name) continue;
        const std::string fdFolder = (processes / process->d_name / "fd").string();
        DIR* fds = opendir(fdFolder.c_str());
        if (!fds) continue;  // gone meanwhile, or another user's
        while (const dirent* fd = readdir(fds)) {
            if (!isNumber(fd->d_name)) continue;
            const ssize_t length = readlinkat(dirfd(fds), fd->d_name, target.data(), target.size());
            if (length > 0 && std::string_view(target.data(), std::size_t(length)) == path) {
                found = true;
                break;
            }
        }
        closedir(fds);
    }
    closedir(all);
    return found;
}

}  // namespace

std::optional<bool> V4l2Cameras::isVideoCapture(const fs::path& node) {
    const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    v4l2_capability capability{};
    const int result = ioctl(fd, VIDIOC_QUERYCAP, &capability);
    close(fd);
    if (result < 0) return false;  // not a V4L2 node at all
    const std::uint32_t caps =
        (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
    return (caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0;
}

V4l2Cameras::V4l2Cameras(fs::path nodes, CaptureProbe probe, fs::path processes)
    : processes_(std::move(processes)), probe_(std::move(probe)) {
    std::error_code error;
    // /proc shows the resolved path of every open file, so the folder is compared resolved.
    folder_ = fs::weakly_canonical(nodes, error);
    if (error) folder_ = std::move(nodes);
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0) {
        inotify_add_watch(inotify_, folder_.c_str(), folderEvents);
        notifier_ = std::make_unique<QSocketNotifier>(inotify_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    }
    rescan();
}

V4l2Cameras::~V4l2Cameras() {
    notifier_.reset();
    if (inotify_ < 0) return;
    // Closing an inotify instance waits for the kernel's grace period, which other programs'
    // file activity stretches to seconds: a thread nothing waits for closes it, so that the
    // quit does not.
    try {
        std::thread([fd = inotify_] { close(fd); }).detach();
    } catch (const std::system_error&) {
        close(inotify_);  // no thread to be had
    }
}

void V4l2Cameras::rescan() {
    DIR* folder = opendir(folder_.c_str());
    folderReadable_ = folder != nullptr;
    std::vector<std::pair<unsigned, std::string>> found;
    if (folder) {
        while (const dirent* entry = readdir(folder)) {
            if (const auto number = nodeNumber(entry->d_name))
                found.emplace_back(*number, (folder_ / entry->d_name).string());
        }
        closedir(folder);
    }
    std::sort(found.begin(), found.end());

    std::set<std::string> present;
    for (const auto& entry : found) present.insert(entry.second);
    // A node that is gone may come back as another device: ask again then.
    std::erase_if(probed_, [&](const auto& entry) { return !present.count(entry.first); });

    // Nodes whose watch ended were removed, even when a node is back at their path.
    std::erase_if(nodes_, [&](const Node& n) {
        if (n.watch >= 0 || inotify_ < 0) return false;
        probed_.erase(n.path);
        return true;
    });

    std::vector<Node> next;
    for (const auto& entry : found) {
        // Not a structured binding: clang 14 cannot capture one in a lambda.
        const std::string& path = entry.second;
        const auto old =
            std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.path == path; });
        if (old != nodes_.end()) {
            next.push_back(*old);
            continue;
        }
        auto known = probed_.find(path);
        if (known == probed_.end()) {
            // Probed before it is watched, so that our own look does not count as a use.
            const auto capture = probe_(path);
            if (!capture) continue;  // asked again on its next change
            known = probed_.emplace(path, *capture).first;
        }
        if (!known->second) continue;
        auto& id = ids_[path];
        if (id == 0) id = CameraID(ids_.size());
        Node node{id, path, -1};
        if (inotify_ >= 0) node.watch = inotify_add_watch(inotify_, path.c_str(), nodeEvents);
        next.push_back(std::move(node));
    }
    for (const auto& old : nodes_) {
        const bool kept =
            std::any_of(next.begin(), next.end(), [&](const Node& n) { return n.id == old.id; });
        if (!kept && old.watch >= 0) inotify_rm_watch(inotify_, old.watch);
    }
    nodes_ = std::move(next);
}

void V4l2Cameras::readEvents() {
    std::set<CameraID> touched;
    bool folderChanged = false;
    alignas(inotify_event) std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t length = read(inotify_, buffer.data(), buffer.size());
        if (length <= 0) break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: look at everything again.
                folderChanged = true;
                for (const auto& n : nodes_) touched.insert(n.id);
                continue;
            }
            const auto n = std::find_if(nodes_.begin(), nodes_.end(),
                                        [&](const Node& n) { return n.watch == event->wd; });
            if (n != nodes_.end()) {
                if (event->mask & nodeEvents) touched.insert(n->id);
                // The node was removed; a node that comes back at its path is probed and
                // watched afresh.
                if (event->mask & IN_IGNORED) {
                    n->watch = -1;
                    folderChanged = true;
                }
            } else if (event->len > 0 && nodeNumber(event->name)) {
                folderChanged = true;
            }
        }
    }
    if (folderChanged) {
        const auto before = cameras();
        rescan();
        if (cameras() != before) listChanged_.emit();
    }
    for (const auto id : touched) running_.notify(id);
}

const V4l2Cameras::Node* V4l2Cameras::node(CameraID camera) const {
    const auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.id == camera; });
    return it == nodes_.end() ? nullptr : &*it;
}

std::optional<std::vector<CameraID>> V4l2Cameras::cameras() const {
    if (!folderReadable_) return std::nullopt;
    std::vector<CameraID> ids;
    for (const auto& n : nodes_) ids.push_back(n.id);
    return ids;
}

std::optional<bool> V4l2Cameras::isRunningSomewhere(CameraID camera) const {
    const Node* n = node(camera);
    if (!n) return std::nullopt;
    return heldOpenElsewhere(processes_, n->path);
}

Subscription V4l2Cameras::listenRunning(CameraID camera, std::function<void()> changed) {
    const bool known =
        std::any_of(ids_.begin(), ids_.end(), [&](const auto& entry) { return entry.second == camera; });
    if (!known) return {};
    return running_.add(camera, std::move(changed));
}

Subscription V4l2Cameras::listenCameras(std::function<void()> changed) {
    return listChanged_.connect(std::move(changed));
}

}  // namespace quorlix::platform
