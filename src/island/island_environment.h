#pragma once
// Values the island's root view hands to every view inside the island, and the preference
// through which the music page's output button tells where it is.

#include "ui/environment.h"
#include "ui/preference.h"

#include <optional>

namespace quorlix {

// The island's width in its current mode, the track-swipe bump included.
inline const ui::EnvironmentKey<double> islandWidth{0.0};
// The island floats (on a screen without a notch): its outline is a rounded rectangle with no
// camera housing in its top edge.
inline const ui::EnvironmentKey<bool> floatingIsland{false};
// The expanded island's audio-output menu is open.
inline const ui::EnvironmentKey<bool> outputMenuOpen{false};

// The bounds of the music page's output button; a later value that is present replaces the
// current one.
inline const ui::PreferenceKey<std::optional<ui::Anchor>> OutputButtonAnchorKey{
    std::nullopt, [](std::optional<ui::Anchor>& value, const std::optional<ui::Anchor>& next) {
        if (next) value = next;
    }};

}  // namespace quorlix
