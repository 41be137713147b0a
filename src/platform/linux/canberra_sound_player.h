#pragma once
// Sound through libcanberra (PulseAudio, PipeWire or ALSA, whichever it finds). Without an
// audio device every play is silently dropped.

#include "platform/sound_player.h"

struct ca_context;

namespace quorlix::platform {

class CanberraSoundPlayer final : public SoundPlayer {
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    std::shared_ptr<Sound> soundFromFile(const std::filesystem::path& file) override;
    // Our own files for the system sounds, in the resources' "SystemSounds" folder.
    std::shared_ptr<Sound> systemSound(const std::string& name) override;

private:
    ca_context* context_ = nullptr;
    std::uint32_t nextId_ = 1;
};

}  // namespace quorlix::platform
