#pragma once
// The audio hardware through a PulseAudio server (and PipeWire, through its PulseAudio
// server).
//
// Sinks are the output devices and sources the input devices; the server's default sink and
// default source are the default output and input. A monitor source (the sound a sink plays)
// is never an input: with a monitor as the default source there is no default input.
//
// The backend keeps a mirror of the server's state, kept current through the server's change
// events, so every read answers at once from memory and never waits on the server. Events
// arrive on the GLib main loop, which is the loop Qt runs on Linux, so listeners are called
// on the main thread, once the mirror already holds the new values. When the server goes away
// every read fails until it is back; the backend reconnects on its own.

#include "platform/audio_hardware.h"

#include <memory>
#include <string>

namespace quorlix::platform {

// What a device's properties tell about how it is connected.
struct PulseDeviceTraits {
    std::string name;             // the sink's name ("alsa_output.pci-0000_00_1f.3.analog-stereo")
    std::string bus;              // "device.bus": "pci", "usb", "bluetooth", ...
    std::string api;              // "device.api": "alsa", "bluez5", ...
    std::string formFactor;       // "device.form_factor": "internal", "headset", ...
    std::string profile;          // "device.profile.name": "hdmi-stereo", ...
    std::string port;             // the active port's name: "hdmi-output-0", ...
    std::string portDescription;  // the active port's description: "HDMI / DisplayPort", ...
};

// The four-character transport code for a device ('blue', 'hdmi', 'bltn', ...); 0 when the
// properties do not tell.
std::uint32_t transportFor(const PulseDeviceTraits& traits);

class PulseAudioHardware final : public AudioHardware {
public:
    // Connects to the server the environment names when first used (a reading, a change or a
    // listener), and then waits at most `startTimeout` seconds for its first state, so that the
    // first readings are real ones. Without a server it goes on at once and keeps trying in the
    // background.
    explicit PulseAudioHardware(double startTimeout = 2.0);
    ~PulseAudioHardware() override;

    // Connected, with the server's state mirrored.
    bool isReady() const;

    std::optional<AudioDeviceID> defaultOutputDevice() const override;
    std::optional<AudioDeviceID> defaultInputDevice() const override;
    std::optional<std::vector<AudioDeviceID>> devices() const override;
    std::optional<std::size_t> outputStreamCount(AudioDeviceID device) const override;
    std::optional<std::string> name(AudioDeviceID device) const override;
    std::optional<std::uint32_t> transport(AudioDeviceID device) const override;
    std::optional<float> volume(AudioDeviceID device) const override;
    bool hasMute(AudioDeviceID device) const override;
    std::optional<bool> isMuted(AudioDeviceID device) const override;
    std::optional<bool> isRunningSomewhere(AudioDeviceID device) const override;

    bool setVolume(AudioDeviceID device, float value) override;
    bool setMuted(AudioDeviceID device, bool muted) override;
    bool setDefaultOutputDevice(AudioDeviceID device) override;
    bool setDefaultSystemOutputDevice(AudioDeviceID device) override;

    [[nodiscard]] Subscription listen(AudioProperty property, std::function<void()> changed) override;
    [[nodiscard]] Subscription listen(AudioDeviceID device, AudioProperty property,
                                      std::function<void()> changed) override;

private:
    struct State;
    // Connected and with its first state once this returns (or the wait timed out).
    State& state() const;

    std::unique_ptr<State> state_;
    double startTimeout_;
    mutable bool started_ = false;
};

}  // namespace quorlix::platform
