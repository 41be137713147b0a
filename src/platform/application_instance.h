#pragma once
// This running copy of the application as the desktop sees it: the one instance that later
// launches are handed to, and the desktop entries that start the application (its launcher
// entry and, while launch at login is on, its autostart entry).
//
// Moving the application uses both: the running copy stops taking later launches before it
// starts the moved copy, which would otherwise hand itself over to us and end; it takes them
// again when that start fails; and once the moved copy runs, the entries name it.
//
// Main thread only.

#include <filesystem>
#include <optional>
#include <string>

namespace quorlix::platform {

class ApplicationInstance {
public:
    virtual ~ApplicationInstance() = default;

    // Later launches no longer reach this instance: the next one runs on its own.
    virtual void stopTakingLaunches() = 0;
    // Later launches reach this instance again, unless another has taken them meanwhile.
    virtual void takeLaunches() = 0;
    // Points the entries at `program`. Nothing when they name it now; else why not.
    virtual std::optional<std::string> registerProgram(const std::filesystem::path& program) = 0;
};

}  // namespace quorlix::platform
