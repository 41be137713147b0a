#include "snapshot/scene_audio.h"

#include <optional>
#include <string>
#include <vector>

namespace quorlix::snapshot {

namespace {

// Three output devices, the built-in speakers the default; writes change nothing.
class SceneAudio final : public platform::AudioHardware {
public:
    struct Device {
        platform::AudioDeviceID id;
        std::string name;
        std::uint32_t transport;
    };
    std::vector<Device> list{{1, "Bocinas MacBook Pro", AudioOutput::builtIn},
                             {2, "AirPods Pro de Ana", AudioOutput::bluetooth},
                             {3, "Pantalla LG UltraFine de la sala de reuniones", AudioOutput::displayPort}};

    std::optional<platform::AudioDeviceID> defaultOutputDevice() const override { return 1; }
    std::optional<platform::AudioDeviceID> defaultInputDevice() const override { return 0; }
    std::optional<std::vector<platform::AudioDeviceID>> devices() const override {
        std::vector<platform::AudioDeviceID> ids;
        for (const auto& d : list) ids.push_back(d.id);
        return ids;
    }
    std::optional<std::size_t> outputStreamCount(platform::AudioDeviceID) const override { return 1; }
    std::optional<std::string> name(platform::AudioDeviceID id) const override {
        const Device* d = find(id);
        return d ? std::optional(d->name) : std::nullopt;
    }
    std::optional<std::uint32_t> transport(platform::AudioDeviceID id) const override {
        const Device* d = find(id);
        return d ? std::optional(d->transport) : std::nullopt;
    }
    std::optional<float> volume(platform::AudioDeviceID) const override { return 0.5f; }
    bool hasMute(platform::AudioDeviceID) const override { return true; }
    std::optional<bool> isMuted(platform::AudioDeviceID) const override { return false; }
    std::optional<bool> isRunningSomewhere(platform::AudioDeviceID) const override { return false; }
    bool setVolume(platform::AudioDeviceID, float) override { return false; }
    bool setMuted(platform::AudioDeviceID, bool) override { return false; }
    bool setDefaultOutputDevice(platform::AudioDeviceID) override { return false; }
    bool setDefaultSystemOutputDevice(platform::AudioDeviceID) override { return false; }
    Subscription listen(platform::AudioProperty, std::function<void()>) override { return {}; }
    Subscription listen(platform::AudioDeviceID, platform::AudioProperty, std::function<void()>) override {
        return {};
    }

private:
    const Device* find(platform::AudioDeviceID id) const {
        for (const auto& d : list)
            if (d.id == id) return &d;
        return nullptr;
    }
};

}  // namespace

VolumeService& threeOutputs() {
    static SceneAudio audio;
    static VolumeService volume(&audio);
    static const bool started = (volume.start(), true);
    (void)started;
    return volume;
}

}  // namespace quorlix::snapshot
