#pragma once
// Child processes that end with the test, and environment variables set for its length, for
// tests that drive real backends.

#include "fakes/wait_for.h"
#include "qt_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace quorlix::testing {

// A program run with the given arguments; terminated and reaped when the object goes. As a
// peer of the test's waits it reports how it stands and the end of its log: the file its
// standard error (else its output) is sent to.
class ChildProcess : public Peer {
public:
    struct Open {
        int fd;
        std::string path;
        int flags = O_RDONLY;
    };

    ChildProcess(const std::vector<std::string>& arguments, const std::vector<Open>& opens = {})
        : name_(programName(arguments)) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const auto& open : opens) {
            posix_spawn_file_actions_addopen(&actions, open.fd, open.path.c_str(), open.flags, 0600);
            if ((open.fd == 2 || (open.fd == 1 && log_.empty())) && open.path != "/dev/null")
                log_ = open.path;
        }
        std::vector<char*> argv;
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() override {
        watched_.reset();
        stop();
    }

    // Makes every later wait of the test watch it, for as long as it lives: for a program
    // whose end would fail the test.
    ChildProcess& watch() {
        watched_.emplace(this);
        return *this;
    }

    bool started() const { return pid_ > 0 || status_; }
    pid_t pid() const { return pid_; }
    // Whether it is still running (false once it has exited).
    bool running() override {
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            status_ = status;
        }
        return pid_ > 0;
    }
    // Its exit status once it has exited by itself.
    std::optional<int> exitStatus() {
        running();
        if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
        return WEXITSTATUS(*status_);
    }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_) status_ = status;
        pid_ = -1;
    }

    std::string report() override {
        std::string text = name_ + ": ";
        if (running())
            text += "running (process " + std::to_string(pid_) + ")";
        else if (!status_)
            text += "could not be started";
        else if (WIFEXITED(*status_))
            text += "exited with status " + std::to_string(WEXITSTATUS(*status_));
        else
            text += "ended by signal " + std::to_string(WTERMSIG(*status_));
        if (log_.empty()) return text;
        std::ifstream in(log_);
        std::string log(std::istreambuf_iterator<char>(in), {});
        constexpr std::size_t shown = 8000;
        if (log.size() > shown) log = "..." + log.substr(log.size() - shown);
        return text + "; its log (" + log_ + "):\n" + log;
    }

private:
    // The program run, past `env` and the variables it sets.
    static std::string programName(const std::vector<std::string>& arguments) {
        auto it = arguments.begin();
        if (it != arguments.end() && *it == "env")
            for (++it; it != arguments.end() && it->find('=') != std::string::npos;) ++it;
        return it == arguments.end() ? std::string() : *it;
    }

    std::string name_;
    std::string log_;
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::optional<WatchedPeer> watched_;
};

// Whether `program` (a path, or a name looked up on the PATH) can be run. A test skips when a
// program it needs is missing; any failure of one that is there fails it.
inline bool installed(const std::string& program) {
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        if (::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// Sets an environment variable for the object's life.
class Variable {
public:
    Variable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~Variable() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

}  // namespace quorlix::testing
