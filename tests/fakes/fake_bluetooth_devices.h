#pragma once
// Bluetooth connections a test announces itself, and a report it scripts.

#include "platform/bluetooth_devices.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace quorlix::fakes {

class FakeBluetoothDevices final : public platform::BluetoothDevices {
public:
    // Announces a connection to every observer.
    void connect(const platform::BluetoothDevice& device) { connections_.emit(device); }

    // The answers of the next reports, in order; once they are used up, `report` answers
    // `standingReport`.
    void queueReport(std::optional<std::string> report) {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(report));
    }
    void setStandingReport(std::optional<std::string> report) {
        std::lock_guard lock(mutex_);
        standing_ = std::move(report);
    }
    int reportCount() const { return reports_; }

    Subscription observeConnections(std::function<void(const platform::BluetoothDevice&)> handler) override {
        return connections_.connect(std::move(handler));
    }
    std::optional<std::string> report() override {
        std::lock_guard lock(mutex_);
        ++reports_;
        if (queued_.empty()) return standing_;
        auto next = std::move(queued_.front());
        queued_.pop_front();
        return next;
    }

private:
    Signal<platform::BluetoothDevice> connections_;
    std::mutex mutex_;
    std::deque<std::optional<std::string>> queued_;
    std::optional<std::string> standing_;
    std::atomic<int> reports_{0};
};

}  // namespace quorlix::fakes
