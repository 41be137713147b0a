// LRC text from the lyrics service: lines come out sorted, with finite times, and take at
// most a few times the text's size.

#include "fuzz_support.h"
#include "services/lyrics_service.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    const auto lines = LyricsService::parse(fuzzing::text(data, size));
    std::size_t bytes = 0;
    for (const auto& line : lines) {
        fuzzing::check(std::isfinite(line.time) && line.time >= 0, "finite times, not negative");
        bytes += line.text.size();
    }
    fuzzing::check(std::is_sorted(lines.begin(), lines.end(),
                                  [](const LyricLine& a, const LyricLine& b) { return a.time < b.time; }),
                   "sorted by time");
    fuzzing::check(bytes <= 8 * size, "text proportional to the input");
    return 0;
}
