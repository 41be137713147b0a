// The Codex configuration, edited by connecting and disconnecting the notify line. A refused
// file stays byte for byte, and so does an accepted one after both.

#include "fuzz_support.h"
#include "platform/atomic_file.h"
#include "services/agent_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    fuzzing::fakePlatform();
    static AgentService agents(nullptr);
    static const auto file = AgentService::codexConfigPath();
    const std::string original = fuzzing::placeAgentFile(agents, file, fuzzing::text(data, size));

    agents.connectCodex();
    if (agents.lastError.get()) {
        fuzzing::check(platform::readFile(file) == original, "a refused file stays as it was");
        return 0;
    }
    agents.disconnectCodex();
    if (!AgentService::isOurs(original))
        fuzzing::check(platform::readFile(file) == original, "the user's configuration comes back");
    return 0;
}
