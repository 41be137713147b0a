#pragma once
// A private PulseAudio daemon for tests that drive the real audio server.

#include "child_process.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {

// A PulseAudio daemon of the test's own, reached through a socket in a temporary folder,
// with two null sinks ("a", "b") and a null source ("mic"). The environment points every
// client of this process (and its children) at it. Every wait of the test watches it.
class PrivatePulseServer : public Peer {
public:
    PrivatePulseServer() {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/quorlix-pulse-XXXXXX";
        folder_ = mkdtemp(pattern);
        for (const char* sub : {"home", "runtime", "xdg", "state"}) fs::create_directories(folder_ / sub);
        fs::permissions(folder_ / "xdg", fs::perms::owner_all, fs::perm_options::replace);
        setVariable("HOME", folder_ / "home");
        setVariable("XDG_RUNTIME_DIR", folder_ / "xdg");
        setVariable("PULSE_RUNTIME_PATH", folder_ / "runtime");
        setVariable("PULSE_STATE_PATH", folder_ / "state");
        setVariable("PULSE_SERVER", "unix:" + (folder_ / "native").string());

        // Plain options only: no shared memory, no start-up script, and it runs as root too
        // (with a warning), which is how CI runs. No session bus either, where it would take
        // a name that the daemons of other tests want as well.
        daemon_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{
                "env", "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (folder_ / "no-bus").string(), "pulseaudio",
                "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                "--log-target=stderr", "-L",
                "module-native-protocol-unix auth-anonymous=1 socket=" + (folder_ / "native").string(), "-L",
                "module-null-sink sink_name=a sink_properties=device.description=Altavoces", "-L",
                "module-null-sink sink_name=b sink_properties=device.description=Pantalla", "-L",
                "module-null-source source_name=mic description=Micro", "-L",
                "module-stream-restore restore_device=true"},
            std::vector<ChildProcess::Open>{{2, (folder_ / "log").string(), O_WRONLY | O_CREAT | O_TRUNC},
                                            {1, "/dev/null", O_WRONLY}});
        // Up once a client gets its answer.
        ready_ = waitFor([&] { return fs::exists(folder_ / "native") && pactl("info"); }, {daemon_.get()});
        watched_.emplace(this);
    }

    ~PrivatePulseServer() override {
        watched_.reset();
        daemon_.reset();
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code error;
        namespace fs = std::filesystem;
        fs::remove_all(folder_, error);
    }

    // Whether the daemon came up, and why not.
    ::testing::AssertionResult ready() const { return ready_; }
    // For a test that ends the daemon itself: waits no longer watch it.
    void stopWatching() { watched_.reset(); }
    bool running() override { return daemon_->running(); }
    std::string report() override { return daemon_->report(); }

    // Runs pactl with `arguments`; its output, or none when it failed.
    static std::optional<std::string> pactl(const std::string& arguments) {
        FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r");
        if (!pipe) return std::nullopt;
        std::string output;
        char buffer[512];
        while (const auto n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        if (pclose(pipe) != 0) return std::nullopt;
        return output;
    }

    // The default output's volume (its first channel) from 0 to 1, or nothing.
    static std::optional<double> defaultSinkVolume() {
        // "Volume: front-left: 36864 /  56% / -15.00 dB,   front-right: ..."
        const auto text = pactl("get-sink-volume @DEFAULT_SINK@");
        if (!text) return std::nullopt;
        const std::string label = "front-left:";
        const auto at = text->find(label);
        if (at == std::string::npos) return std::nullopt;
        const char* start = text->c_str() + at + label.size();
        char* end = nullptr;
        const long raw = std::strtol(start, &end, 10);
        if (end == start) return std::nullopt;
        // PulseAudio's full volume in its own units.
        return raw / 65536.0;
    }

private:
    void setVariable(const std::string& name, const std::filesystem::path& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }

    std::filesystem::path folder_;
    std::map<std::string, std::optional<std::string>> saved_;
    std::unique_ptr<ChildProcess> daemon_;
    ::testing::AssertionResult ready_ = ::testing::AssertionFailure();
    std::optional<WatchedPeer> watched_;
};

}  // namespace quorlix::testing
