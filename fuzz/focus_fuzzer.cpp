// The focus readers: the assertions file, a mode identifier, and the menu bar's description.

#include "fuzz_support.h"
#include "platform/atomic_file.h"
#include "services/focus_monitor.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    static const auto file = fuzzing::fakePlatform().home.path() / "Assertions.json";
    const auto input = fuzzing::text(data, size);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << input;
    if (const auto state = FocusMonitor::fromAssertions(file))
        fuzzing::check(!state->name.empty(), "a focus has a name");
    FocusMonitor::nameForMode(input);
    FocusMonitor::modeName(input);
    return 0;
}
