#pragma once
// Audio devices that tests script: a table of devices and their properties, reads that fail
// on demand, listeners that fire when the test says so, and a log of every write.
//
//     audio.add(7, {.name = "Bocinas", .transport = AudioOutput::builtIn, .volume = 0.5f});
//     audio.defaultOutput = 7;
//     audio.device(7).volume = 0.3f;
//     audio.fire(7, AudioProperty::volume);
//
// Writes change nothing in the table: like real hardware, a write shows up only when the
// test changes the table and fires the listener.

#include "platform/audio_hardware.h"
#include "platform/listener_table.h"

#include <set>
#include <utility>

namespace quorlix::fakes {

class FakeAudioHardware final : public platform::AudioHardware {
public:
    using DeviceID = platform::AudioDeviceID;
    using Property = platform::AudioProperty;

    // Everything that can be read, for injecting failures.
    enum class Read {
        defaultOutput,
        defaultInput,
        devices,
        outputStreams,
        name,
        transport,
        volume,
        mute,
        running
    };

    struct Device {
        std::string name = "Device";
        std::uint32_t transport = 0;
        std::size_t outputStreams = 1;
        float volume = 0.5f;
        // None: the device has no mute control.
        std::optional<bool> muted = false;
        bool running = false;
    };

    struct Write {
        DeviceID device;
        Property property;
        double value;
        friend bool operator==(const Write&, const Write&) = default;
    };

    // 0: the system has no such device.
    DeviceID defaultOutput = 0;
    DeviceID defaultInput = 0;
    std::vector<Write> writes;

    // Adds a device at the end of the device list.
    Device& add(DeviceID id, Device device);
    Device& add(DeviceID id);
    void remove(DeviceID id);
    Device& device(DeviceID id);

    // Makes a read fail until `failing` is false; device 0 for the system-wide reads.
    void fail(DeviceID device, Read read, bool failing = true);

    // Calls the listeners of a system-wide property, or of one device's property.
    void fire(Property property) { fire(0, property); }
    void fire(DeviceID device, Property property);
    std::size_t listenerCount(DeviceID device, Property property) const;

    std::optional<DeviceID> defaultOutputDevice() const override;
    std::optional<DeviceID> defaultInputDevice() const override;
    std::optional<std::vector<DeviceID>> devices() const override;
    std::optional<std::size_t> outputStreamCount(DeviceID device) const override;
    std::optional<std::string> name(DeviceID device) const override;
    std::optional<std::uint32_t> transport(DeviceID device) const override;
    std::optional<float> volume(DeviceID device) const override;
    bool hasMute(DeviceID device) const override;
    std::optional<bool> isMuted(DeviceID device) const override;
    std::optional<bool> isRunningSomewhere(DeviceID device) const override;

    bool setVolume(DeviceID device, float value) override;
    bool setMuted(DeviceID device, bool muted) override;
    bool setDefaultOutputDevice(DeviceID device) override;
    bool setDefaultSystemOutputDevice(DeviceID device) override;

    [[nodiscard]] Subscription listen(Property property, std::function<void()> changed) override;
    [[nodiscard]] Subscription listen(DeviceID device, Property property,
                                      std::function<void()> changed) override;

private:
    const Device* find(DeviceID id) const;
    bool failing(DeviceID device, Read read) const { return failures_.count({device, read}) > 0; }

    std::vector<std::pair<DeviceID, Device>> devices_;
    std::set<std::pair<DeviceID, Read>> failures_;
    platform::ListenerTable<std::pair<DeviceID, Property>> listeners_;
};

}  // namespace quorlix::fakes
