#include "platform/linux/v4l2_cameras.h"

#include "child_process.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "services/privacy_monitor.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;
using quorlix::testing::ChildProcess;
using quorlix::testing::waitUntil;
using Flags = std::pair<bool, bool>;

// Stand-in nodes: plain files in a folder of our own, watched and looked up the same way as
// /dev/video*. "video1" plays a metadata node, which is no camera.
class V4l2CamerasTest : public ::testing::Test {
protected:
    quorlix::testing::QtApplicationMember app;
    QtMainQueue queue;
    fs::path folder;

    V4l2CamerasTest() {
        char pattern[] = "/tmp/quorlix-cameras-XXXXXX";
        folder = mkdtemp(pattern);
        touch("video0");
        touch("video1");
        touch("videos");
        install(Platform{.mainQueue = &queue});
    }
    ~V4l2CamerasTest() override {
        install(Platform{});
        fs::remove_all(folder);
    }

    void touch(const std::string& name) { std::ofstream(folder / name) << "node"; }
    std::string node(const std::string& name) const { return (folder / name).string(); }
    static std::optional<bool> probe(const fs::path& node) { return node.filename() != "video1"; }
    // A process that holds the node open until it is stopped.
    static std::unique_ptr<ChildProcess> holder(const std::string& path) {
        return std::make_unique<ChildProcess>(std::vector<std::string>{"sleep", "60"},
                                              std::vector<ChildProcess::Open>{{3, path}});
    }
};

TEST_F(V4l2CamerasTest, SeesACameraTakenAndReleasedByAnotherProcess) {
    V4l2Cameras cameras(folder, probe);
    ASSERT_EQ(cameras.cameras()->size(), 1u);
    PrivacyMonitor monitor(nullptr, &cameras);
    std::vector<Flags> changes;
    monitor.onChange = [&](bool mic, bool camera) { changes.emplace_back(mic, camera); };
    monitor.start();
    EXPECT_FALSE(monitor.cameraInUse.get());

    // Our own look at a node is no use of it: it stays open while another process takes the
    // camera, and the camera is free again once that one lets it go.
    std::ifstream own(node("video0"));
    auto child = holder(node("video0"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 1; }, {child.get()}));
    EXPECT_EQ(changes[0], (Flags{false, true}));

    child.reset();
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 2; })) << "our own look held the camera";
    EXPECT_EQ(changes[1], (Flags{false, false}));
}

TEST_F(V4l2CamerasTest, WatchesCamerasPluggedInLaterAndKeepsTheirIds) {
    V4l2Cameras cameras(folder, probe);
    PrivacyMonitor monitor(nullptr, &cameras);
    monitor.start();
    const CameraID first = cameras.cameras()->front();

    touch("video2");
    ASSERT_TRUE(waitUntil([&] { return cameras.cameras()->size() == 2; }));
    const CameraID second = cameras.cameras()->back();
    auto child = holder(node("video2"));
    ASSERT_TRUE(waitUntil([&] { return monitor.cameraInUse.get(); }, {child.get()}));
    child.reset();
    ASSERT_TRUE(waitUntil([&] { return !monitor.cameraInUse.get(); }));

    // Unplugged and plugged in again, faster than the events are read: the same camera,
    // watched afresh. A camera plugged in right after shows once those events are read.
    fs::remove(folder / "video0");
    touch("video0");
    touch("video3");
    ASSERT_TRUE(waitUntil([&] { return cameras.cameras()->size() == 3; }));
    const CameraID third = cameras.cameras()->back();
    EXPECT_EQ(cameras.cameras(), (std::vector<CameraID>{first, second, third}));
    child = holder(node("video0"));
    ASSERT_TRUE(waitUntil([&] { return monitor.cameraInUse.get(); }, {child.get()}));
}

// The watcher goes on the main thread at quit, and closing its inotify instance may wait in
// the kernel for seconds. Here its descriptor is swapped for one whose close waits until the
// test lets it: a TCP socket lingering over data its peer has not read. The main thread is
// never found waiting in that close, and the descriptor is closed all the same once let go.
TEST_F(V4l2CamerasTest, GoingAwayNeverWaitsForItsDescriptorToClose) {
    const int watch = ::dup(0);  // the lowest free descriptor, which its inotify instance takes
    ::close(watch);
    auto cameras = std::make_unique<V4l2Cameras>(folder, probe);
    ASSERT_EQ(fs::read_symlink("/proc/self/fd/" + std::to_string(watch)), "anon_inode:inotify");

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0), lingering = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ::setsockopt(lingering, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    ASSERT_TRUE(::bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                ::listen(listener, 1) == 0 &&
                ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                ::connect(lingering, reinterpret_cast<sockaddr*>(&address), length) == 0);
    const int peer = ::accept(listener, nullptr, nullptr);
    const std::string piece(4096, 'z');
    while (::send(lingering, piece.data(), piece.size(), MSG_DONTWAIT) > 0) continue;
    const linger waits{1, 600};
    ::setsockopt(lingering, SOL_SOCKET, SO_LINGER, &waits, sizeof waits);
    ASSERT_EQ(::dup2(lingering, watch), watch);
    ::close(lingering);
    ::close(listener);

    // The peer reads once the main thread is found in that close, or once the watcher is gone.
    const std::string mainThread = "/proc/self/task/" + std::to_string(::gettid()) + "/syscall";
    std::atomic<bool> gone{false}, waitedOnMain{false};
    char buffer[4096];
    std::thread lookout([&] {
        for (long call = -1, fd = -1; !gone; quorlix::testing::shortPause()) {
            if (std::ifstream(mainThread) >> call >> std::hex >> fd && call == SYS_close && fd == watch) {
                waitedOnMain = true;
                while (::read(peer, buffer, sizeof buffer) > 0) continue;
                return;
            }
        }
    });
    cameras.reset();
    gone = true;
    lookout.join();
    EXPECT_FALSE(waitedOnMain) << "the main thread waited for the descriptor to close";
    EXPECT_TRUE(waitUntil([&] { return ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT) == 0; }))
        << "never closed";
    ::close(peer);
}

}  // namespace
}  // namespace quorlix::platform
