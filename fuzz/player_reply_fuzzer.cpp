// The players' snapshot replies: "state|~|name|~|artist|~|album|~|duration|~|position|~|id".

#include "foundation/player_source.h"
#include "fuzz_support.h"
#include "services/player_scripts.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    const auto input = fuzzing::text(data, size);
    for (const auto source : {PlayerSource::music, PlayerSource::spotify}) {
        if (const auto snapshot = PlayerScripts::parseSnapshot(input, source))
            fuzzing::check(!snapshot->name.empty(), "a snapshot names its track");
    }
    PlayerScripts::snapshotNumber(input);
    return 0;
}
