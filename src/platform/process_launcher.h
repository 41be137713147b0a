#pragma once
// Starting a program that must outlive this one (the updater's swap, which finishes after
// the application has quit). The program runs in a session of its own, with its standard
// streams on /dev/null and no other descriptor of ours, in our folder and environment. It is
// not our child: nothing waits for it and nothing is left to reap.
//
// Main thread only.

#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` (an absolute path) with `arguments` after its own name. Nothing when it
    // started; else why it could not.
    virtual std::optional<std::string> launchDetached(const std::string& program,
                                                      const std::vector<std::string>& arguments) = 0;
};

}  // namespace quorlix::platform
