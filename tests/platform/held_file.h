#pragma once
// A file whose opening hangs, as one on a network mount that stopped answering: fanotify holds
// every opening of it until the test lets it through. Only the openings by one process count:
// those by its main thread are let through at once and counted (a test tells where they
// happened and goes on), those by its other threads wait until the object goes. Other
// processes' openings pass. Watching needs the right to administer the system (root).

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace quorlix::testing {

class HeldFile {
public:
    // Holds the openings of `file` by the process `process`, whose main thread has its id.
    HeldFile(const std::filesystem::path& file, pid_t process) : process_(process) {
        fanotify_ = fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_REPORT_TID, O_RDONLY | O_CLOEXEC);
        if (fanotify_ < 0) return;
        if (fanotify_mark(fanotify_, FAN_MARK_ADD, FAN_OPEN_PERM, AT_FDCWD, file.c_str()) != 0) return;
        stop_ = eventfd(0, EFD_CLOEXEC);
        listener_ = std::thread([this] { listen(); });
    }
    ~HeldFile() {
        if (listener_.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(stop_, &one, sizeof one);
            listener_.join();
        }
        // Closing the group lets every held opening through.
        for (const int fd : held_) ::close(fd);
        if (fanotify_ >= 0) ::close(fanotify_);
        if (stop_ >= 0) ::close(stop_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the file is watched.
    bool ready() const { return listener_.joinable(); }
    // Openings by the process's main thread, let through.
    int openedByMainThread() const { return byMain_; }
    // Openings by its other threads, waiting.
    int heldOpenings() const { return heldCount_; }

private:
    void listen() {
        alignas(fanotify_event_metadata) char buffer[4096];
        for (;;) {
            pollfd fds[] = {{fanotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            const ssize_t length = ::read(fanotify_, buffer, sizeof buffer);
            if (length <= 0) continue;
            auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
            for (ssize_t left = length; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
                // With FAN_REPORT_TID, `pid` names the thread.
                const pid_t thread = event->pid;
                const bool ours = std::filesystem::exists("/proc/" + std::to_string(process_) + "/task/" +
                                                          std::to_string(thread));
                if (ours && thread != process_) {
                    held_.push_back(event->fd);
                    ++heldCount_;
                    continue;
                }
                if (ours) ++byMain_;
                const fanotify_response allow{event->fd, FAN_ALLOW};
                [[maybe_unused]] const auto written = ::write(fanotify_, &allow, sizeof allow);
                ::close(event->fd);
            }
        }
    }

    pid_t process_;
    int fanotify_ = -1;
    int stop_ = -1;
    std::vector<int> held_;  // the listener's until it ends
    std::atomic<int> byMain_{0};
    std::atomic<int> heldCount_{0};
    std::thread listener_;
};

}  // namespace quorlix::testing
