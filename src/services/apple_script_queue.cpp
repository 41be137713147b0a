#include "services/apple_script_queue.h"

namespace quorlix {

namespace {
platform::SerialQueue* installedQueue = nullptr;
}

platform::SerialQueue& AppleScriptQueue::shared() {
    if (installedQueue) return *installedQueue;
    // Kept for the life of the process, like the queue it stands for.
    static auto* queue = new platform::ThreadSerialQueue();
    return *queue;
}

void AppleScriptQueue::install(platform::SerialQueue* queue) { installedQueue = queue; }

void runScript(platform::SerialQueue& queue, platform::ScriptHost* host, std::string source, double timeLimit,
               std::function<void(std::optional<platform::ScriptValue>)> done) {
    using Result = std::optional<platform::ScriptValue>;
    // The host is told the limit so that it gives up in time and the next script can start;
    // the queue answers nothing at the limit even if the host does not.
    queue.run<Result>(
        [host, source = std::move(source), timeLimit]() -> Result {
            if (!host) return std::nullopt;
            return host->execute(source, timeLimit);
        },
        [done = std::move(done)](std::optional<Result> result) {
            done(result ? std::move(*result) : std::nullopt);
        },
        timeLimit);
}

}  // namespace quorlix
