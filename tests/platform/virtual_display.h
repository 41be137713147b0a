#pragma once
// An X server of the test's own (Xvfb) on a free display, ended with the object.

#include "child_process.h"
#include "fakes/fake_platform.h"

#include <fstream>
#include <string>

namespace quorlix::testing {

class VirtualDisplay {
public:
    explicit VirtualDisplay(const std::string& screen = "320x240x24")
        : numberFile_(home_.path() / "display"),
          server_({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"},
                  {{3, numberFile_.string(), O_WRONLY | O_CREAT | O_TRUNC}, {2, "/dev/null", O_WRONLY}}) {
        if (!server_.started()) return;
        waitUntil([&] {
            std::ifstream in(numberFile_);
            std::string number;
            if (std::getline(in, number) && !number.empty() && !in.eof()) name_ = ":" + number;
            return !name_.empty() || !server_.running();
        });
    }
    // Empty when no server could be started.
    const std::string& name() const { return name_; }

private:
    fakes::TempHome home_;
    std::filesystem::path numberFile_;
    ChildProcess server_;
    std::string name_;
};

}  // namespace quorlix::testing
