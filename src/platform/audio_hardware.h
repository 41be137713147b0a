#pragma once
// The audio devices of the machine: which ones exist, which are the default output and input,
// and the few properties the system reads, writes and follows on them.
//
// Devices are named by a non-zero `AudioDeviceID`; 0 means "no device". Every read may fail
// (`std::nullopt`): the device went away, the audio server is not reachable, the property does
// not exist on that device. Writes report whether they were sent, never whether the device
// took them; what a write changed shows up later through the listeners.
//
//     Subscription s = audio.listen(AudioProperty::defaultOutput, [this] { attach(); });
//     Subscription v = audio.listen(device, AudioProperty::volume, [this] { reread(); });
//
// A listener stays registered until its subscription is destroyed or cancelled; a
// subscription that is not active means the registration failed. Listeners are called on the
// main thread, and only after the reads already answer the new values. Main thread only.

#include "platform/published.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

using AudioDeviceID = std::uint32_t;

enum class AudioProperty {
    // Of the system as a whole.
    defaultOutput,
    defaultSystemOutput,  // where alert and event sounds play
    defaultInput,
    // Of one device.
    volume,
    mute,
    running,  // some process is using the device
};

class AudioHardware {
public:
    virtual ~AudioHardware() = default;

    // The default devices; 0 when the system has none.
    virtual std::optional<AudioDeviceID> defaultOutputDevice() const = 0;
    virtual std::optional<AudioDeviceID> defaultInputDevice() const = 0;
    // Every device, inputs and outputs alike, in the system's order.
    virtual std::optional<std::vector<AudioDeviceID>> devices() const = 0;

    // How many output streams the device has; 0 for an input-only device.
    virtual std::optional<std::size_t> outputStreamCount(AudioDeviceID device) const = 0;
    virtual std::optional<std::string> name(AudioDeviceID device) const = 0;
    // A four-character transport code ('bltn', 'hdmi', 'blue', ...); 0 when unknown.
    virtual std::optional<std::uint32_t> transport(AudioDeviceID device) const = 0;
    // The output volume: 0 to 1 for the device's full volume, and above it where the system
    // allows more (PulseAudio, up to 1.53 from its own controls).
    virtual std::optional<float> volume(AudioDeviceID device) const = 0;
    // Whether the device's output has a mute control at all.
    virtual bool hasMute(AudioDeviceID device) const = 0;
    virtual std::optional<bool> isMuted(AudioDeviceID device) const = 0;
    virtual std::optional<bool> isRunningSomewhere(AudioDeviceID device) const = 0;

    // `value` is 0...1; a device with several channels keeps its balance.
    virtual bool setVolume(AudioDeviceID device, float value) = 0;
    virtual bool setMuted(AudioDeviceID device, bool muted) = 0;
    virtual bool setDefaultOutputDevice(AudioDeviceID device) = 0;
    virtual bool setDefaultSystemOutputDevice(AudioDeviceID device) = 0;

    // Calls `changed` after a change of one of the system's properties.
    [[nodiscard]] virtual Subscription listen(AudioProperty property, std::function<void()> changed) = 0;
    // Calls `changed` after a change of one of `device`'s properties.
    [[nodiscard]] virtual Subscription listen(AudioDeviceID device, AudioProperty property,
                                              std::function<void()> changed) = 0;
};

}  // namespace quorlix::platform
