#include "services/sounds.h"

#include "platform/main_queue.h"
#include "platform/paths.h"
#include "platform/platform.h"

#include <algorithm>

namespace quorlix {

namespace {
std::vector<std::shared_ptr<platform::Sound>> playingSounds;
}

std::string_view Sounds::resourceName(Sound sound) {
    switch (sound) {
    case Sound::lock: return "candado-cerrar";
    case Sound::unlock: return "candado-abrir";
    case Sound::timer: return "temporizador";
    }
    return {};
}

std::string_view Sounds::fallbackName(Sound sound) { return sound == Sound::lock ? "Pop" : "Glass"; }

const std::vector<std::shared_ptr<platform::Sound>>& Sounds::playing() { return playingSounds; }

void Sounds::play(Sound sound, double volume) {
    platform::SoundPlayer* player = platform::installed().soundPlayer;
    if (!player) return;
    const auto file =
        platform::Paths::resourcesDirectory() / "Sounds" / (std::string(resourceName(sound)) + ".wav");
    std::shared_ptr<platform::Sound> instance = player->soundFromFile(file);
    if (!instance) instance = player->systemSound(std::string(fallbackName(sound)));
    if (!instance) return;

    instance->setVolume(std::clamp(volume, 0.0, 1.0));
    playingSounds.push_back(instance);
    instance->play();

    const double keep = std::max(instance->duration(), 0.5) + 0.5;
    std::weak_ptr<platform::Sound> weak = instance;
    platform::MainQueue::shared()
        .after(keep,
               [weak] {
                   const auto done = weak.lock();
                   std::erase_if(playingSounds, [&](const auto& s) { return s == done; });
               })
        .detach();
}

}  // namespace quorlix
