#pragma once
// The running instance on Linux: the single-instance socket later launches are handed over
// (none when this launch could not listen), the `quorlix://` launcher entry and the XDG
// autostart entry.

#include "platform/application_instance.h"

namespace quorlix::platform {

class SingleInstance;

class LinuxApplicationInstance final : public ApplicationInstance {
public:
    explicit LinuxApplicationInstance(SingleInstance* instance) : instance_(instance) {}

    void stopTakingLaunches() override;
    void takeLaunches() override;
    // The autostart entry is rewritten only while it is on.
    std::optional<std::string> registerProgram(const std::filesystem::path& program) override;

private:
    SingleInstance* instance_;
};

}  // namespace quorlix::platform
