#pragma once
// The default audio output: its volume, mute state and identity, plus the list of outputs
// the output choosers offer.
//
// The service follows whichever device the system uses for output and reports real changes
// through two callbacks, which the application turns into the volume and output HUDs:
//
//     volume.start();
//     volume.onChange = [](float level, bool muted) { ... };
//     volume.onOutputChange = [](const AudioOutput& output) { ... };
//
// The devices are reached through `platform::AudioHardware`. Without one no device is known:
// `deviceID` stays 0, the writes do nothing and `outputs()` lists nothing, which is how the
// service behaves on a machine without audio output. Main thread only.

#include "platform/audio_hardware.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

// A four-character code as the audio system writes transport types ('bltn').
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

// One audio output device. Identified by `id`; equal when all three fields are.
struct AudioOutput {
    // Transport types the labels and symbols tell apart.
    static constexpr std::uint32_t builtIn = fourCharCode("bltn");
    static constexpr std::uint32_t displayPort = fourCharCode("dprt");
    static constexpr std::uint32_t hdmi = fourCharCode("hdmi");
    static constexpr std::uint32_t bluetooth = fourCharCode("blue");
    static constexpr std::uint32_t bluetoothLE = fourCharCode("blea");
    static constexpr std::uint32_t airPlay = fourCharCode("airp");

    std::uint32_t id = 0;
    std::string name;
    // 0 when the transport could not be read.
    std::uint32_t transport = 0;

    // The short label of the output HUD: "Bocinas", "Pantalla", "HDMI", or the name cut at
    // its first " de " (the part before) or possessive (the part after).
    std::string shortName() const;
    // The symbol drawn for the device; the name's AirPods model wins over the transport.
    std::string symbol() const;

    friend bool operator==(const AudioOutput&, const AudioOutput&) = default;
};

class VolumeService final : public ObservableObject {
public:
    // On the installed platform's audio hardware.
    VolumeService();
    // On `audio`, which must outlive the service; null: no audio hardware.
    explicit VolumeService(platform::AudioHardware* audio);

    // The current device's volume, 0...1, as last read (1 for a device raised past its full
    // volume).
    Published<float> level{this, 0};
    Published<bool> muted{this, false};
    // The default output device; none while no device is known.
    Published<std::optional<AudioOutput>> currentOutput{this, std::nullopt};

    // After a volume or mute change that altered a published value (not after a device switch).
    std::function<void(float level, bool muted)> onChange;
    // After the default output changed to a device with another id.
    std::function<void(const AudioOutput& output)> onOutputChange;

    // The device whose volume and mute are followed; 0 means none.
    std::uint32_t deviceID() const { return deviceID_; }

    // Begins following the default output. Reports nothing for the first reading.
    void start();
    // Clamps to 0...1 and writes it as the device's volume, unmuting it when the new level is
    // above 0. The published values follow when the device reports back. Nothing without a
    // device. A device raised past its full volume keeps it against a full or higher value (a
    // step up) and reports its full gauge at once; lower values bring it down as usual.
    void setVolume(float value);
    // Changes the volume by `delta` (below 0 lowers it), as `setVolume` does, from the level
    // last set while the device has not reported it yet, else from `level`: steps in quick
    // succession (a held key, a turning wheel) add up whether or not the device has answered
    // the ones before.
    void stepVolume(float delta);
    // Flips the device's mute; the published state follows the device. Nothing without a device.
    void toggleMute();
    // Every device with output streams and a readable name, freshly queried, in the system's
    // order; possibly empty.
    std::vector<AudioOutput> outputs() const;
    // Makes the device both the default output and the output of system sounds, as the output
    // choosers do on a choice. Failures are not reported: the current output simply stays.
    void makeDefaultOutput(std::uint32_t id);

private:
    void defaultOutputChanged();
    void attachToDefaultDevice();
    void readValues();
    void valueChanged();
    // Drops the levels set that the device's report of `reported` shows reached.
    void settleLevelsSet(float reported);
    // A step up on a device raised past its full volume.
    void keepRaisedVolume();
    std::optional<AudioOutput> output(std::uint32_t id) const;

    platform::AudioHardware* audio_ = nullptr;
    std::uint32_t deviceID_ = 0;
    // The device the published level was read from, so a new device never shows the old
    // device's level.
    std::uint32_t levelDevice_ = 0;
    // The volume as the device reported it, above 1 when raised past full.
    float deviceLevel_ = 0;
    // The levels written that the device has not reported yet, oldest first.
    std::vector<float> levelsSet_;
    static constexpr std::size_t maxLevelsSet = 16;
    Subscription deviceListener_;
    Subscription volumeListener_;
    Subscription muteListener_;
};

}  // namespace quorlix
