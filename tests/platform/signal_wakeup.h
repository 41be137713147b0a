#pragma once
// Calls a function on the Qt event loop each time the process receives a signal (a test's
// program told from outside to change something: `kill -USR1 <pid>`). One per process.

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

#include <unistd.h>

namespace quorlix::testing {

class SignalWakeup {
public:
    SignalWakeup(int signal, std::function<void()> action) {
        if (::pipe(pipe_) != 0) return;
        writeEnd() = pipe_[1];
        std::signal(signal, [](int) {
            const char byte = 1;
            [[maybe_unused]] const auto written = ::write(writeEnd(), &byte, 1);
        });
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, action = std::move(action)] {
            char byte = 0;
            [[maybe_unused]] const auto read = ::read(pipe_[0], &byte, 1);
            action();
        });
    }

private:
    static int& writeEnd() {
        static int fd = -1;
        return fd;
    }
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorlix::testing
