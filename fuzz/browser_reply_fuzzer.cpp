// A browser's reply to the tab script: one "<url>|<answer>" line per watched tab.

#include "fuzz_support.h"
#include "services/browser_ai_watcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    BrowserAIWatcher::Results results;
    BrowserAIWatcher::readReply(fuzzing::text(data, size), results);
    for (const auto& [site, busy] : results) {
        (void)busy;
        fuzzing::check(site == "chatgpt" || site == "claudeWeb" || site == "gemini", "only watched sites");
    }
    return 0;
}
