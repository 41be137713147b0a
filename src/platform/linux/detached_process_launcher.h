#pragma once
// Detached programs on Linux: a fork that starts a new session and forks again, so the
// program is adopted by init (or the session's subreaper) at once. Whether the program could
// be executed comes back through a close-on-exec pipe.

#include "platform/process_launcher.h"

namespace quorlix::platform {

class DetachedProcessLauncher final : public ProcessLauncher {
public:
    std::optional<std::string> launchDetached(const std::string& program,
                                              const std::vector<std::string>& arguments) override;
};

}  // namespace quorlix::platform
