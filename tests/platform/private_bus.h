#pragma once
// A D-Bus bus of the test's own (a dbus-daemon in a temporary folder), ended with the object.
// It starts no service on demand: only the programs the test runs own names on it, and a
// client asking for any other service is told at once that there is none, never served by a
// copy the bus started of its own accord. Every wait of the test watches it.

#include "child_process.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace quorlix::testing {

class PrivateBus : public Peer {
public:
    PrivateBus() {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/quorlix-bus-XXXXXX";
        if (!mkdtemp(pattern)) return;
        folder_ = pattern;
        std::ofstream(folder_ / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:path="
            << (folder_ / "socket").string()
            << "</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               // A desktop's session bus takes messages as large as a player may send.
               "  <limit name=\"max_incoming_bytes\">1000000000</limit>\n"
               "  <limit name=\"max_outgoing_bytes\">1000000000</limit>\n"
               "  <limit name=\"max_message_size\">1000000000</limit>\n"
               "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n";
        const fs::path addressFile = folder_ / "address";
        daemon_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--nofork",
                                     "--config-file=" + (folder_ / "bus.conf").string(), "--print-address=3"},
            std::vector<ChildProcess::Open>{{3, addressFile.string(), O_WRONLY | O_CREAT | O_TRUNC},
                                            {1, "/dev/null", O_WRONLY},
                                            {2, (folder_ / "log").string(), O_WRONLY | O_CREAT | O_TRUNC}});
        // The daemon prints its address once it listens.
        ready_ = waitFor(
            [&] {
                std::ifstream in(addressFile);
                std::string line;
                if (!std::getline(in, line) || in.eof() || line.empty()) return false;
                address_ = line;
                return true;
            },
            {daemon_.get()});
        watched_.emplace(this);
    }
    ~PrivateBus() override {
        watched_.reset();
        for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
        daemon_.reset();
        std::error_code error;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Whether the bus came up, and why not.
    ::testing::AssertionResult ready() const { return ready_; }
    // What clients put in DBUS_SESSION_BUS_ADDRESS to reach it.
    const std::string& address() const { return address_; }
    // A new connection to the bus under `name` (unique per connection), ended with the bus.
    QDBusConnection connect(const QString& name) {
        connections_ << name;
        return QDBusConnection::connectToBus(QString::fromStdString(address_), name);
    }

    bool running() override { return daemon_ && daemon_->running(); }
    std::string report() override { return daemon_ ? daemon_->report() : "dbus-daemon: no temporary folder"; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<ChildProcess> daemon_;
    ::testing::AssertionResult ready_ = ::testing::AssertionFailure() << "no temporary folder for the bus";
    std::string address_;
    QStringList connections_;
    std::optional<WatchedPeer> watched_;
};

}  // namespace quorlix::testing
