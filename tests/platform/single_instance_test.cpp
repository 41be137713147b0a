// One running instance: a second launch hands its addresses over a private socket.

#include "platform/linux/single_instance.h"

#include "fakes/fake_platform.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorlix::platform {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace single_instance_test {

namespace fs = std::filesystem;
using testing::waitUntil;

sockaddr_un addressOf(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    return address;
}

// A client that connects, sends `bytes` as they are, and waits until the instance hangs up:
// it has dealt with them by then.
::testing::AssertionResult sendRaw(const fs::path& socket, const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(socket);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return ::testing::AssertionFailure() << "cannot connect: " << std::strerror(errno);
    }
    // The instance may hang up before the end: no SIGPIPE.
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    const auto hungUp = waitUntil([&] {
        char byte;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    });
    ::close(fd);
    return hungUp;
}

// A child process that connects `count` times and holds the connections without a word.
class SilentClients {
public:
    SilentClients(const fs::path& socket, int count) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        child_ = ::fork();
        if (child_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test
            const sockaddr_un address = addressOf(socket);
            for (int i = 0; i < count; ++i) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            }
            (void)!::write(ready[1], "x", 1);
            for (;;) ::pause();
        }
        char c;
        (void)!::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~SilentClients() {
        if (child_ <= 0) return;
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    SilentClients(const SilentClients&) = delete;
    SilentClients& operator=(const SilentClients&) = delete;

private:
    pid_t child_ = -1;
};

int openDescriptors() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

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

TEST_F(SingleInstanceTest, SilentClientsAndFewDescriptorsNeverStopTheListening) {
    SingleInstance running(socket, 0.2);
    ASSERT_EQ(running.start({}), SingleInstance::Outcome::primary);
    std::vector<std::string> received;
    running.onOpenURLs = [&](const std::vector<std::string>& urls) { received = urls; };

    // Many clients that say nothing, and descriptors for a few connections only. (Checked
    // once the limit is lifted again: a failure report needs descriptors too.)
    bool handedOver = false, arrived = false;
    {
        SilentClients silent(socket, 40);
        rlimit saved{};
        ::getrlimit(RLIMIT_NOFILE, &saved);
        rlimit few = saved;
        few.rlim_cur = static_cast<rlim_t>(openDescriptors() + 14);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
        SingleInstance later(socket);
        handedOver =
            later.start({"quorlix://agent?agent=codex&event=done"}) == SingleInstance::Outcome::handedOver;
        arrived = static_cast<bool>(waitUntil([&] { return !received.empty(); }));
        ::setrlimit(RLIMIT_NOFILE, &saved);
    }
    EXPECT_TRUE(handedOver);
    EXPECT_TRUE(arrived);
    EXPECT_EQ(received, std::vector<std::string>{"quorlix://agent?agent=codex&event=done"});
}

TEST_F(SingleInstanceTest, AMessageTooLongIsRefusedWholeAndTheNextOneIsRead) {
    SingleInstance running(socket);
    ASSERT_EQ(running.start({}), SingleInstance::Outcome::primary);
    std::vector<std::vector<std::string>> received;
    running.onOpenURLs = [&](const std::vector<std::string>& urls) { received.push_back(urls); };

    // The limit falls inside the last line, right after "agent=claude".
    const std::string first = "open quorlix://agent?agent=claude&event=working\n";
    const std::string last = "open quorlix://agent?agent=claudeWeb&event=working\n";
    const std::size_t cut = std::string_view(last).find("Web");
    std::string message = first;
    message += std::string(SingleInstance::maxMessage - first.size() - cut - 1, '#') + "\n";
    ASSERT_EQ(message.size() + cut, SingleInstance::maxMessage);
    message += last;
    ASSERT_TRUE(sendRaw(socket, message)) << "the instance never hung up";
    EXPECT_TRUE(received.empty());

    EXPECT_EQ(SingleInstance(socket).start({"quorlix://agent?agent=cursor&event=done"}),
              SingleInstance::Outcome::handedOver);
    ASSERT_TRUE(waitUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<std::vector<std::string>>{{"quorlix://agent?agent=cursor&event=done"}});
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
    EXPECT_TRUE(
        SingleInstance::parse("open quorlix://a\n" + std::string(SingleInstance::maxMessage, '#') + "\n")
            .urls.empty())
        << "too long: refused whole";
    // A last line without its line feed may have been cut.
    EXPECT_EQ(SingleInstance::parse("open quorlix://a\nopen quorlix://ab").urls,
              std::vector<std::string>{"quorlix://a"});
}

}  // namespace single_instance_test
}  // namespace
}  // namespace quorlix::platform
