#include "services/apple_script_queue.h"

#include <chrono>
#include <memory>

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
    queue.run<Result>(
        [host, source = std::move(source), timeLimit]() -> Result {
            if (!host) return std::nullopt;
            const auto start = std::chrono::steady_clock::now();
            auto result = host->execute(source, timeLimit);
            // A host that overran its limit answers too late to be trusted with state.
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            if (elapsed.count() > timeLimit) return std::nullopt;
            return result;
        },
        [done = std::move(done)](std::optional<Result> result) { done(result ? std::move(*result) : std::nullopt); });
}

}  // namespace quorlix
