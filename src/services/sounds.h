#pragma once
// The application's three sounds, with system-sound fallbacks. Each play gets its own
// instance, so two plays overlap instead of cutting each other off; `playing` keeps each one
// alive until it has finished.

#include "platform/sound_player.h"

#include <memory>
#include <string_view>
#include <vector>

namespace quorlix {

enum class Sound { lock, unlock, timer };

struct Sounds {
    static void play(Sound sound, double volume);

    // Resource name (in the resources' "Sounds" folder, extension "wav") and fallback.
    static std::string_view resourceName(Sound sound);
    static std::string_view fallbackName(Sound sound);

    // The sounds currently playing.
    static const std::vector<std::shared_ptr<platform::Sound>>& playing();
};

}  // namespace quorlix
