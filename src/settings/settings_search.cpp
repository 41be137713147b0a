#include "settings/settings_search.h"

#include <cstdint>

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace quorlix {

std::string foldForSearch(std::string_view text) {
    icu::UnicodeString s =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    s.toLower(icu::Locale::getRoot());
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_SUCCESS(status)) {
        icu::UnicodeString composed = nfc->normalize(s, status);
        if (U_SUCCESS(status)) s = composed;
    }
    std::string out;
    s.toUTF8String(out);
    return out;
}

std::string searchKey(std::string_view query) {
    // Spaces are Unicode's (no-break, ideographic, thin...) and the tab: its blanks.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(query.data());
    const auto length = static_cast<std::int32_t>(query.size());
    std::int32_t begin = 0;
    while (begin < length) {
        std::int32_t next = begin;
        UChar32 c = 0;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isblank(c)) break;
        begin = next;
    }
    std::int32_t end = length;
    while (end > begin) {
        std::int32_t previous = end;
        UChar32 c = 0;
        U8_PREV(bytes, 0, previous, c);
        if (c < 0 || !u_isblank(c)) break;
        end = previous;
    }
    return foldForSearch(
        query.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

bool sectionMatches(SettingsSection section, std::string_view query) {
    const std::string q = searchKey(query);
    if (q.empty()) return true;
    return foldForSearch(title(section)).find(q) != std::string::npos ||
           foldForSearch(keywords(section)).find(q) != std::string::npos;
}

std::vector<SettingsSection> searchSections(const std::vector<SettingsSection>& sections,
                                            std::string_view query) {
    std::vector<SettingsSection> out;
    for (const SettingsSection s : sections)
        if (sectionMatches(s, query)) out.push_back(s);
    return out;
}

}  // namespace quorlix
