#pragma once
// Sound through libcanberra (PulseAudio, PipeWire or ALSA, whichever it finds). Without an
// audio device every play is silently dropped. The sound server is reached with the first
// sound played, not at start-up.

#include "platform/sound_player.h"

#include <memory>

struct ca_context;

namespace quorlix::platform {

class CanberraSoundPlayer final : public SoundPlayer {
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    std::shared_ptr<Sound> soundFromFile(const std::filesystem::path& file) override;
    // Our own files for the system sounds, in the resources' "SystemSounds" folder.
    std::shared_ptr<Sound> systemSound(const std::string& name) override;

    // The context, opened on first use; null when there is no audio.
    class Context;

private:
    std::shared_ptr<Context> context_;
    std::uint32_t nextId_ = 1;
};

}  // namespace quorlix::platform
