#pragma once
// Child processes that end with the test, and environment variables set for its length, for
// tests that drive real backends.

#include "qt_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace quorlix::testing {

// A program run with the given arguments; terminated and reaped when the object goes.
class ChildProcess {
public:
    struct Open {
        int fd;
        std::string path;
        int flags = O_RDONLY;
    };

    ChildProcess(const std::vector<std::string>& arguments, const std::vector<Open>& opens = {}) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const auto& open : opens)
            posix_spawn_file_actions_addopen(&actions, open.fd, open.path.c_str(), open.flags, 0600);
        std::vector<char*> argv;
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Whether it is still running (false once it has exited).
    bool running() {
        if (pid_ <= 0) return false;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
        return pid_ > 0;
    }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

// Runs the event loop for `milliseconds`, for checking that nothing more happens.
inline void settle(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
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
