// Replies of the lyrics service: one record ("/api/get") or a list ("/api/search"), and
// what the choice among them makes of each.

#include "fuzz_support.h"
#include "services/lrclib_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    const auto input = fuzzing::text(data, size);
    if (const auto record = LRCLibRecord::decode(input)) {
        record->decision();
        if (record->duration) LRCLibRequest::roundedDuration(*record->duration);
    }
    if (const auto records = LRCLibRecord::decodeList(input)) {
        for (const double duration : {0.0, 214.5, -1.0}) {
            if (const auto* chosen = LRCLibRequest::closestSynced(*records, duration)) {
                fuzzing::check(chosen->syncedLyrics.has_value(),
                               "only a record with synced lyrics is chosen");
                chosen->decision();
            }
        }
    }
    return 0;
}
