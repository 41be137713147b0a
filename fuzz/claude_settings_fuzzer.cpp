// The Claude Code settings file, edited by connecting and disconnecting the hooks. A refused
// file stays byte for byte; an accepted one holds the user's content again afterwards.

#include "fuzz_support.h"
#include "platform/atomic_file.h"
#include "platform/json_reader.h"
#include "services/agent_service.h"

namespace {

using quorlix::platform::readJSON;

// Connecting puts our group in the list of each hook event we use, and disconnecting takes
// it out again, dropping a list of ours it leaves empty and then a "hooks" object left empty.
// So an empty list of one of our events goes, and so does a "hooks" object holding nothing
// else; an empty list of any other event stays.
nlohmann::ordered_json afterConnectingAndDisconnecting(nlohmann::ordered_json settings) {
    const auto hooks = settings.find("hooks");
    if (hooks == settings.end() || !hooks->is_object()) return settings;
    for (const auto& row : quorlix::AgentService::claudeHooks) {
        const auto event = hooks->find(std::string(row.hookEvent));
        if (event != hooks->end() && event->is_array() && event->empty()) hooks->erase(event);
    }
    if (hooks->empty()) settings.erase(hooks);
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    fuzzing::fakePlatform();
    static AgentService agents(nullptr);
    static const auto file = AgentService::claudeSettingsPath();
    const std::string original = fuzzing::placeAgentFile(agents, file, fuzzing::text(data, size));

    agents.connectClaude();
    if (agents.lastError.get()) {
        fuzzing::check(platform::readFile(file) == original, "a refused file stays as it was");
        agents.disconnectClaude();
        fuzzing::check(platform::readFile(file) == original, "a refused file stays as it was");
        return 0;
    }
    agents.disconnectClaude();
    if (original.empty() || AgentService::isOurs(original)) return 0;
    const auto before = readJSON(original, {.exact = true}).value;
    const auto after = readJSON(platform::readFile(file).value_or("")).value;
    fuzzing::check(before && after && afterConnectingAndDisconnecting(*before) == *after,
                   "the user's settings come back");
    return 0;
}
