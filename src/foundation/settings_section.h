#pragma once
// The settings window's sections, in sidebar order, with their titles, symbols, search
// keywords and sidebar places. Stored and named by their raw values (the case names).

#include "foundation/raw_enum.h"

#include <optional>
#include <string_view>
#include <vector>

namespace quorlix {

enum class SettingsSection {
    general,
    media,
    tray,
    agents,
    volume,
    battery,
    focus,
    weather,
    lockScreen,
    calendar,
    timer,
    accessories,
    privacy,
    updates,
};

template <>
struct RawEnumTraits<SettingsSection> {
    static constexpr std::array<std::pair<SettingsSection, std::string_view>, 14> cases{{
        {SettingsSection::general, "general"},
        {SettingsSection::media, "media"},
        {SettingsSection::tray, "tray"},
        {SettingsSection::agents, "agents"},
        {SettingsSection::volume, "volume"},
        {SettingsSection::battery, "battery"},
        {SettingsSection::focus, "focus"},
        {SettingsSection::weather, "weather"},
        {SettingsSection::lockScreen, "lockScreen"},
        {SettingsSection::calendar, "calendar"},
        {SettingsSection::timer, "timer"},
        {SettingsSection::accessories, "accessories"},
        {SettingsSection::privacy, "privacy"},
        {SettingsSection::updates, "updates"},
    }};
};

std::string_view title(SettingsSection section);
std::string_view symbol(SettingsSection section);
// Lower-case, space-separated search words.
std::string_view keywords(SettingsSection section);

// A run of sidebar rows, under an optional header.
struct SettingsSectionGroup {
    std::optional<std::string_view> header;
    std::vector<SettingsSection> sections;
};

struct SettingsSections {
    // The sidebar's groups, in order.
    static const std::vector<SettingsSectionGroup>& groups();
    // The sections at the foot of the sidebar.
    static const std::vector<SettingsSection>& footer();
};

}  // namespace quorlix
