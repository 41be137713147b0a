#include "settings/settings_search.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

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
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!query.empty() && blank(query.front())) query.remove_prefix(1);
    while (!query.empty() && blank(query.back())) query.remove_suffix(1);
    return foldForSearch(query);
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
