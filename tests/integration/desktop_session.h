#pragma once
// What the tests of Quorlix as a desktop application share: programs run to their end, files
// they write, and a session bus of the test's own.

#include "platform/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorlix::testing {

// Runs a program to its end; its exit status, or -1.
inline int run(const std::vector<std::string>& arguments, double seconds = 20) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first line of a file once a program has written it, within `seconds`; empty if never.
inline std::string firstLineOf(const std::filesystem::path& file, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        std::ifstream in(file);
        std::string line;
        if (std::getline(in, line) && !in.eof()) return line;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

// The whole text of a file a program wrote; empty when there is none.
inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A D-Bus session bus of the test's own, ended with the object.
class SessionBus {
public:
    explicit SessionBus(const std::filesystem::path& folder)
        : daemon_({"dbus-daemon", "--session", "--nofork", "--print-address=3"},
                  {{3, (folder / "bus-address").string(), O_WRONLY | O_CREAT | O_TRUNC}}),
          address_(daemon_.started() ? firstLineOf(folder / "bus-address") : std::string()) {}
    // What clients put in DBUS_SESSION_BUS_ADDRESS; empty when the daemon did not start.
    const std::string& address() const { return address_; }

private:
    ChildProcess daemon_;
    std::string address_;
};

// The environment of the programs a desktop test starts on `display`: Qt on X, and a private
// runtime folder (made under `root`) for their sockets. Set for the life of what it returns.
inline std::vector<std::unique_ptr<Variable>> sessionVariables(const std::string& display,
                                                               const std::filesystem::path& root) {
    const std::filesystem::path runtime = root / "runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::vector<std::unique_ptr<Variable>> variables;
    variables.push_back(std::make_unique<Variable>("DISPLAY", display));
    variables.push_back(std::make_unique<Variable>("QT_QPA_PLATFORM", "xcb"));
    variables.push_back(std::make_unique<Variable>("XDG_RUNTIME_DIR", runtime.string()));
    // The X keyboard library Qt loads reads past the end of a string the strict checks
    // reject, and the session bus library leaves memory at exit: neither is ours.
    variables.push_back(std::make_unique<Variable>("ASAN_OPTIONS", "detect_leaks=0"));
    return variables;
}

// The socket a running Quorlix listens on for later launches, under the runtime folder.
inline std::filesystem::path instanceSocket(const std::filesystem::path& runtime) {
    return runtime / ("quorlix-" + std::to_string(::getuid())) / "instance";
}

// Starts the settings file of a user who has seen onboarding, so no onboarding window comes.
inline void markWelcomeSeen(const std::filesystem::path& settingsFile) {
    std::filesystem::create_directories(settingsFile.parent_path());
    std::ofstream(settingsFile) << R"({"didShowWelcome": true})";
}

// Whether `program` is on the PATH.
inline bool installed(const char* program) {
    return run({"sh", "-c", std::string("command -v ") + program + " >/dev/null"}) == 0;
}

}  // namespace quorlix::testing
