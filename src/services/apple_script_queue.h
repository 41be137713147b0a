#pragma once
// The one serial queue on which every script sent to another application runs (the media
// players' and the browser watcher's alike), so such scripts never overlap and run in the
// order they were submitted.
//
// `runScript` runs one script there with a time limit counted from the moment it starts: a
// script that takes longer yields nothing, exactly like a failed one, and the next script
// starts as soon as the host gives up on it.

#include "platform/script_host.h"
#include "platform/serial_queue.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlix {

struct AppleScriptQueue {
    // Created on first use (a queue with its own thread) unless one was installed.
    static platform::SerialQueue& shared();
    // Replaces the shared queue (tests); null returns to the default one.
    static void install(platform::SerialQueue* queue);

    // The default time limit of one script, seconds.
    static constexpr double timeLimit = 4;
};

// Runs `source` with `host` on `queue` and calls `done` on the main thread with the result,
// or nothing when the host is missing, the script failed or it ran past `timeLimit` seconds.
void runScript(platform::SerialQueue& queue, platform::ScriptHost* host, std::string source, double timeLimit,
               std::function<void(std::optional<platform::ScriptValue>)> done);

}  // namespace quorlix
