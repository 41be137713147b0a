#include "foundation/settings_section.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorlix {
namespace {

TEST(SettingsSectionTest, RawValuesAreExactCaseNames) {
    EXPECT_EQ(fromRawValue<SettingsSection>("lockScreen"), SettingsSection::lockScreen);
    EXPECT_EQ(fromRawValue<SettingsSection>("lockscreen"), std::nullopt);
    EXPECT_EQ(fromRawValue<SettingsSection>("General"), std::nullopt);
    EXPECT_EQ(rawValue(SettingsSection::updates), "updates");
    EXPECT_EQ(allCases<SettingsSection>().front(), SettingsSection::general);
}

TEST(SettingsSectionTest, EverySectionHasOnePlaceInTheSidebar) {
    std::vector<SettingsSection> placed;
    for (const auto& group : SettingsSections::groups())
        placed.insert(placed.end(), group.sections.begin(), group.sections.end());
    placed.insert(placed.end(), SettingsSections::footer().begin(), SettingsSections::footer().end());
    const auto all = allCases<SettingsSection>();
    EXPECT_TRUE(std::equal(placed.begin(), placed.end(), all.begin(), all.end()))
        << "sidebar order is case order";
    EXPECT_EQ(SettingsSections::groups()[0].header, std::nullopt);
    EXPECT_EQ(SettingsSections::groups()[1].header, "Avisos");
    EXPECT_EQ(SettingsSections::groups()[1].sections.size(), 9u);
}

TEST(SettingsSectionTest, KeywordsAreStoredLowerCase) {
    for (const auto section : allCases<SettingsSection>()) {
        const auto words = keywords(section);
        EXPECT_FALSE(words.empty());
        EXPECT_TRUE(std::none_of(words.begin(), words.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            << rawValue(section);
    }
}

}  // namespace
}  // namespace quorlix
