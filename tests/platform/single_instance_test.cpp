// One running instance: a second launch hands its addresses over a private socket.

#include "platform/linux/single_instance.h"

#include "fakes/fake_platform.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/socket.h>
#include <sys/un.h>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

class SingleInstanceTest : public ::testing::Test, public testing::QtApplicationMember {
protected:
    fakes::TempHome home;
    fs::path socket = home.path() / "run" / "instance";
};

TEST_F(SingleInstanceTest, ALaterLaunchHandsItsAddressesOrAReopenToTheRunningOne) {
    SingleInstance running(socket);
    ASSERT_EQ(running.start({}), SingleInstance::Outcome::primary);
    EXPECT_EQ(fs::status(socket.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    std::vector<std::string> received;
    int reopened = 0;
    running.onOpenURLs = [&](const std::vector<std::string>& urls) { received = urls; };
    running.onReopen = [&] { ++reopened; };

    SingleInstance later(socket);
    EXPECT_EQ(
        later.start({"quorlix://agent?agent=claude&event=working", "quorlix://agent?agent=codex&event=done"}),
        SingleInstance::Outcome::handedOver);
    ASSERT_TRUE(waitUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, (std::vector<std::string>{"quorlix://agent?agent=claude&event=working",
                                                  "quorlix://agent?agent=codex&event=done"}));

    EXPECT_EQ(SingleInstance(socket).start({}), SingleInstance::Outcome::handedOver);
    EXPECT_TRUE(waitUntil([&] { return reopened == 1; }));
}

TEST_F(SingleInstanceTest, ASocketLeftBehindIsTakenOver) {
    fs::create_directories(socket.parent_path());
    fs::permissions(socket.parent_path(), fs::perms::owner_all);
    // A socket nobody listens on, as a crashed launch leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    SingleInstance instance(socket);
    EXPECT_EQ(instance.start({}), SingleInstance::Outcome::primary);
}

TEST_F(SingleInstanceTest, AFolderOthersCanEnterIsNeverUsed) {
    fs::create_directories(socket.parent_path());
    fs::permissions(socket.parent_path(), fs::perms(0755));
    EXPECT_EQ(SingleInstance(socket).start({}), SingleInstance::Outcome::failed);
    EXPECT_FALSE(fs::exists(socket));
}

TEST(SingleInstanceMessage, OnlyWellFormedLinesAreRead) {
    EXPECT_EQ(SingleInstance::message({}), "reopen\n");
    // An address with a line break could pass for a line of its own.
    EXPECT_EQ(SingleInstance::message({"quorlix://a\nreopen", "quorlix://b"}), "open quorlix://b\n");

    const auto request =
        SingleInstance::parse("open quorlix://a\nrm -rf\nopen \nopen x\ty\nreopen\nopen quorlix://b\n");
    EXPECT_EQ(request.urls, (std::vector<std::string>{"quorlix://a", "quorlix://b"}));
    EXPECT_TRUE(request.reopen);
    EXPECT_TRUE(SingleInstance::parse(std::string(SingleInstance::maxMessage + 10, 'x')).urls.empty());
}

}  // namespace
}  // namespace quorlix::platform
