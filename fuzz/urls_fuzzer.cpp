// Addresses from outside: quorlix:// agent events, and the file addresses of dropped files.
// A file address read back from the one the tray writes names the same path.

#include "fuzz_support.h"
#include "platform/url_query.h"
#include "services/agent_service.h"
#include "services/tray_store.h"
#include "services/url_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    fuzzing::fakePlatform();
    static AgentService agents(nullptr);
    const auto input = fuzzing::text(data, size);
    agents.handle(input);
    if (const auto parts = URLParts::parse(input)) parts->firstValue("agent");
    if (const auto path = TrayStore::filePath(input))
        fuzzing::check(TrayStore::filePath(TrayStore::fileURL(*path)) == path, "file addresses read back");
    if (const auto decoded = platform::percentDecode(input))
        fuzzing::check(platform::percentDecode(platform::percentEncode(*decoded)) == decoded,
                       "percent encoding reads back");
    return 0;
}
