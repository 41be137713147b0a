#pragma once
// An X server of the test's own (Xvfb) on a free display, ended with the object. Every wait
// of the test watches it.

#include "child_process.h"
#include "fakes/fake_platform.h"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {

class VirtualDisplay : public Peer {
public:
    explicit VirtualDisplay(const std::string& screen = "320x240x24",
                            const std::vector<std::string>& options = {})
        : numberFile_(home_.path() / "display"),
          server_(arguments(screen, options),
                  {{3, numberFile_.string(), O_WRONLY | O_CREAT | O_TRUNC},
                   {1, "/dev/null", O_WRONLY},
                   {2, (home_.path() / "xvfb.log").string(), O_WRONLY | O_CREAT | O_TRUNC}}) {
        // The server writes its number once it takes connections.
        ready_ = waitFor(
            [&] {
                std::ifstream in(numberFile_);
                std::string number;
                if (!std::getline(in, number) || number.empty() || in.eof()) return false;
                name_ = ":" + number;
                return true;
            },
            {&server_});
        watched_.emplace(this);
    }
    ~VirtualDisplay() override { watched_.reset(); }

    // Whether the server came up, and why not.
    ::testing::AssertionResult ready() const { return ready_; }
    // What clients put in DISPLAY; empty until the server is up.
    const std::string& name() const { return name_; }

    bool running() override { return server_.running(); }
    std::string report() override { return server_.report(); }

private:
    static std::vector<std::string> arguments(const std::string& screen,
                                              const std::vector<std::string>& options) {
        // Kept as it is between clients: a server left without any would start afresh.
        std::vector<std::string> all{"Xvfb", "-displayfd", "3", "-screen", "0", screen,
                                     "-nolisten", "tcp", "-noreset"};
        all.insert(all.end(), options.begin(), options.end());
        return all;
    }

    fakes::TempHome home_;
    std::filesystem::path numberFile_;
    ChildProcess server_;
    ::testing::AssertionResult ready_ = ::testing::AssertionFailure();
    std::string name_;
    std::optional<WatchedPeer> watched_;
};

}  // namespace quorlix::testing
