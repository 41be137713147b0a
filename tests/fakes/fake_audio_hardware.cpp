#include "fakes/fake_audio_hardware.h"

#include <algorithm>
#include <stdexcept>

namespace quorlix::fakes {

FakeAudioHardware::Device& FakeAudioHardware::add(DeviceID id, Device device) {
    devices_.emplace_back(id, std::move(device));
    return devices_.back().second;
}

FakeAudioHardware::Device& FakeAudioHardware::add(DeviceID id) { return add(id, Device{}); }

void FakeAudioHardware::remove(DeviceID id) {
    std::erase_if(devices_, [id](const auto& entry) { return entry.first == id; });
}

FakeAudioHardware::Device& FakeAudioHardware::device(DeviceID id) {
    for (auto& [key, device] : devices_)
        if (key == id) return device;
    throw std::out_of_range("no fake audio device " + std::to_string(id));
}

const FakeAudioHardware::Device* FakeAudioHardware::find(DeviceID id) const {
    for (const auto& [key, device] : devices_)
        if (key == id) return &device;
    return nullptr;
}

void FakeAudioHardware::fail(DeviceID device, Read read, bool failing) {
    if (failing)
        failures_.insert({device, read});
    else
        failures_.erase({device, read});
}

void FakeAudioHardware::fire(DeviceID device, Property property) { listeners_.notify({device, property}); }

std::size_t FakeAudioHardware::listenerCount(DeviceID device, Property property) const {
    return listeners_.count({device, property});
}

std::optional<platform::AudioDeviceID> FakeAudioHardware::defaultOutputDevice() const {
    if (failing(0, Read::defaultOutput)) return std::nullopt;
    return defaultOutput;
}

std::optional<platform::AudioDeviceID> FakeAudioHardware::defaultInputDevice() const {
    if (failing(0, Read::defaultInput)) return std::nullopt;
    return defaultInput;
}

std::optional<std::vector<platform::AudioDeviceID>> FakeAudioHardware::devices() const {
    if (failing(0, Read::devices)) return std::nullopt;
    std::vector<DeviceID> ids;
    for (const auto& entry : devices_) ids.push_back(entry.first);
    return ids;
}

std::optional<std::size_t> FakeAudioHardware::outputStreamCount(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::outputStreams)) return std::nullopt;
    return d->outputStreams;
}

std::optional<std::string> FakeAudioHardware::name(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::name)) return std::nullopt;
    return d->name;
}

std::optional<std::uint32_t> FakeAudioHardware::transport(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::transport)) return std::nullopt;
    return d->transport;
}

std::optional<float> FakeAudioHardware::volume(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::volume)) return std::nullopt;
    return d->volume;
}

bool FakeAudioHardware::hasMute(DeviceID id) const {
    const Device* d = find(id);
    return d && d->muted.has_value();
}

std::optional<bool> FakeAudioHardware::isMuted(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::mute)) return std::nullopt;
    return d->muted;
}

std::optional<bool> FakeAudioHardware::isRunningSomewhere(DeviceID id) const {
    const Device* d = find(id);
    if (!d || failing(id, Read::running)) return std::nullopt;
    return d->running;
}

bool FakeAudioHardware::setVolume(DeviceID device, float value) {
    writes.push_back({device, Property::volume, value});
    return find(device) != nullptr;
}

bool FakeAudioHardware::setMuted(DeviceID device, bool muted) {
    writes.push_back({device, Property::mute, muted ? 1.0 : 0.0});
    return find(device) && hasMute(device);
}

bool FakeAudioHardware::setDefaultOutputDevice(DeviceID device) {
    writes.push_back({0, Property::defaultOutput, double(device)});
    return find(device) != nullptr;
}

bool FakeAudioHardware::setDefaultSystemOutputDevice(DeviceID device) {
    writes.push_back({0, Property::defaultSystemOutput, double(device)});
    return find(device) != nullptr;
}

Subscription FakeAudioHardware::listen(Property property, std::function<void()> changed) {
    return listen(0, property, std::move(changed));
}

Subscription FakeAudioHardware::listen(DeviceID device, Property property, std::function<void()> changed) {
    // Registration on a device that does not exist fails, as it does on real hardware.
    if (device != 0 && !find(device)) return {};
    return listeners_.add({device, property}, std::move(changed));
}

}  // namespace quorlix::fakes
