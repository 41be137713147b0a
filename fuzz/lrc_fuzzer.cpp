// LRC text from the lyrics service: lines come out sorted, with finite times, each of
// well-formed UTF-8 no longer than a screen shows, and take at most a few times the text's
// size.

#include "fakes/well_formed_text.h"
#include "fuzz_support.h"
#include "platform/capped_text.h"
#include "services/lyrics_service.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    const auto lines = LyricsService::parse(fuzzing::text(data, size));
    std::size_t bytes = 0;
    for (const auto& line : lines) {
        fuzzing::check(std::isfinite(line.time) && line.time >= 0, "finite times, not negative");
        fuzzing::check(testing::wellFormedLength(line.text).value_or(platform::shownTextLimit + 1) <=
                           platform::shownTextLimit,
                       "well-formed text a screen can show");
        bytes += line.text.size();
    }
    fuzzing::check(std::is_sorted(lines.begin(), lines.end(),
                                  [](const LyricLine& a, const LyricLine& b) { return a.time < b.time; }),
                   "sorted by time");
    fuzzing::check(bytes <= 8 * size, "text proportional to the input");
    return 0;
}
