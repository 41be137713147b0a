#include "platform/linux/v4l2_cameras.h"

#include "child_process.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "services/privacy_monitor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace quorlix::platform
