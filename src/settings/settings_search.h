#pragma once
// The sidebar's search rule. The query loses the spaces around it, all of Unicode's
// (no-break, ideographic, thin...), and tabs, not line breaks; then it and each section's
// title and keywords are lower-cased and put in Unicode's composed form (NFC), independent of
// the locale, so "MÚSICA" finds "Música" and a decomposed "música" finds the composed one. A
// section passes when the query is empty or lies inside its title or its keywords (across two
// keywords too: "no molestar").
//
//     searchSections(SettingsSections::footer(), query)   // the foot rows that pass

#include "foundation/settings_section.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

// Lower case and composed form, whatever the locale.
std::string foldForSearch(std::string_view text);
// The query as compared: trimmed of Unicode's spaces and tabs, then folded.
std::string searchKey(std::string_view query);
bool sectionMatches(SettingsSection section, std::string_view query);
// The sections of `sections` that pass, in their order.
std::vector<SettingsSection> searchSections(const std::vector<SettingsSection>& sections,
                                            std::string_view query);

}  // namespace quorlix
