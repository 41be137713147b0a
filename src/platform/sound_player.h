#pragma once
// Playing short sound files. A `Sound` is one playable instance; several may play at once.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace quorlix::platform {

class Sound {
public:
    virtual ~Sound() = default;
    // Length in seconds.
    virtual double duration() const = 0;
    // 0...1.
    virtual void setVolume(double volume) = 0;
    virtual void play() = 0;
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // A sound from a file, or nothing when the file is missing or not a sound.
    virtual std::shared_ptr<Sound> soundFromFile(const std::filesystem::path& file) = 0;
    // A fresh instance of a named system sound ("Pop", "Glass"), or nothing.
    virtual std::shared_ptr<Sound> systemSound(const std::string& name) = 0;
};

}  // namespace quorlix::platform
