#include "services/volume_service.h"

#include "platform/platform.h"
#include "services/text_match.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorlix {

std::string AudioOutput::shortName() const {
    switch (transport) {
        case builtIn: return "Bocinas";
        case displayPort: return "Pantalla";
        case hdmi: return "HDMI";
        default: break;
    }
    // " de " keeps what comes before it ("Bocinas de Ana"); a possessive keeps what comes
    // after it ("Ana’s AirPods"). A separator that would leave nothing is passed over.
    struct Separator {
        std::string_view text;
        bool keepBefore;
    };
    static constexpr std::array<Separator, 3> separators{
        {{" de ", true}, {"\u2019s ", false}, {"'s ", false}}};
    for (const auto& [separator, keepBefore] : separators) {
        const auto at = name.find(separator);
        if (at == std::string::npos) continue;
        std::string piece = keepBefore ? name.substr(0, at) : name.substr(at + separator.size());
        if (!piece.empty()) return piece;
    }
    return name;
}

std::string AudioOutput::symbol() const {
    const std::string lower = asciiLowercased(name);
    if (lower.find("airpods max") != std::string::npos) return "airpodsmax";
    if (lower.find("airpods pro") != std::string::npos) return "airpodspro";
    if (lower.find("airpods") != std::string::npos) return "airpods";
    switch (transport) {
        case displayPort:
        case hdmi: return "display";
        case bluetooth:
        case bluetoothLE: return "headphones";
        case airPlay: return "airplayaudio";
        case builtIn: return "laptopcomputer";
        default: return "hifispeaker.fill";
    }
}

VolumeService::VolumeService() : VolumeService(platform::installed().audio) {}

VolumeService::VolumeService(platform::AudioHardware* audio) : audio_(audio) {}

void VolumeService::start() {
    if (!audio_) return;
    deviceListener_ =
        audio_->listen(platform::AudioProperty::defaultOutput, [this] { defaultOutputChanged(); });
    attachToDefaultDevice();
}

void VolumeService::defaultOutputChanged() {
    const std::optional<AudioOutput> before = currentOutput.get();
    attachToDefaultDevice();
    const auto& now = currentOutput.get();
    // Only another device is news; a new name or transport under the same id is not.
    if (now && (!before || before->id != now->id) && onOutputChange) onOutputChange(*now);
}

void VolumeService::attachToDefaultDevice() {
    volumeListener_.cancel();
    muteListener_.cancel();
    const auto id = audio_->defaultOutputDevice();
    if (!id) {
        // Nobody follows the old device any more, so the keys must not act on it either.
        // What is published stays, as the last thing known.
        deviceID_ = 0;
        return;
    }
    deviceID_ = *id;
    // Steps on the new device start from its own level.
    levelsSet_.clear();
    currentOutput = output(*id);
    // A device switch shows the new device's values without reporting them.
    readValues();
    volumeListener_ = audio_->listen(*id, platform::AudioProperty::volume, [this] { valueChanged(); });
    muteListener_ = audio_->listen(*id, platform::AudioProperty::mute, [this] { valueChanged(); });
}

void VolumeService::readValues() {
    if (const auto volume = audio_->volume(deviceID_)) {
        deviceLevel_ = *volume;
        level = std::clamp(*volume, 0.0f, 1.0f);
    } else if (levelDevice_ != deviceID_) {
        deviceLevel_ = 0;
        level = 0;
    }
    levelDevice_ = deviceID_;
    muted = audio_->hasMute(deviceID_) && audio_->isMuted(deviceID_).value_or(false);
}

void VolumeService::valueChanged() {
    const float oldLevel = deviceLevel_;
    const bool wasMuted = muted;
    readValues();
    settleLevelsSet(deviceLevel_);
    // Exact comparison: a step of any size is a change worth showing, past full volume too.
    if (deviceLevel_ == oldLevel && muted.get() == wasMuted) return;
    if (onChange) onChange(level, muted);
}

void VolumeService::setVolume(float value) {
    // NaN has no place on a volume slider; writing it would leave the device's level undefined.
    if (!audio_ || deviceID_ == 0 || std::isnan(value)) return;
    const float clamped = std::clamp(value, 0.0f, 1.0f);
    if (deviceLevel_ > 1 && clamped >= 1) {
        keepRaisedVolume();
        return;
    }
    audio_->setVolume(deviceID_, clamped);
    // A device that never answers (a level it already had) must not grow this without end.
    if (levelsSet_.size() >= maxLevelsSet) levelsSet_.erase(levelsSet_.begin());
    levelsSet_.push_back(clamped);
    // Turning the volume up means the user wants to hear it; turning it to 0 never mutes.
    if (muted && clamped > 0) audio_->setMuted(deviceID_, false);
}

void VolumeService::settleLevelsSet(float reported) {
    // A device keeps a level to its own precision (PulseAudio to 65536ths of full volume): a
    // report this close to a level set is that level.
    constexpr float precision = 1.0f / 4096;
    const auto reached = std::find_if(levelsSet_.begin(), levelsSet_.end(),
                                      [&](float set) { return std::abs(set - reported) <= precision; });
    // A level nobody here set came from elsewhere, and stands; one set here was reached, and
    // so were those set before it, while those set after it are still on their way.
    levelsSet_.erase(levelsSet_.begin(), reached == levelsSet_.end() ? reached : reached + 1);
}

void VolumeService::stepVolume(float delta) {
    setVolume((levelsSet_.empty() ? level.get() : levelsSet_.back()) + delta);
}

void VolumeService::keepRaisedVolume() {
    // Writing full volume would lower it. Unmuting shows the gauge through the device's report;
    // otherwise nothing changes on the device, so the full gauge is reported here.
    if (muted) {
        audio_->setMuted(deviceID_, false);
    } else if (onChange) {
        onChange(level, muted);
    }
}

void VolumeService::toggleMute() {
    if (!audio_ || deviceID_ == 0) return;
    audio_->setMuted(deviceID_, !muted.get());
}

std::vector<AudioOutput> VolumeService::outputs() const {
    if (!audio_) return {};
    const auto devices = audio_->devices();
    if (!devices) return {};
    std::vector<AudioOutput> result;
    for (const auto id : *devices) {
        const auto streams = audio_->outputStreamCount(id);
        if (!streams || *streams == 0) continue;
        if (auto found = output(id)) result.push_back(std::move(*found));
    }
    return result;
}

void VolumeService::makeDefaultOutput(std::uint32_t id) {
    if (!audio_) return;
    audio_->setDefaultOutputDevice(id);
    audio_->setDefaultSystemOutputDevice(id);
}

std::optional<AudioOutput> VolumeService::output(std::uint32_t id) const {
    auto name = audio_->name(id);
    if (!name) return std::nullopt;
    return AudioOutput{id, std::move(*name), audio_->transport(id).value_or(0)};
}

}  // namespace quorlix
