#include "services/volume_service.h"

#include "services/text_match.h"

#include <algorithm>
#include <array>

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

// Without an audio system there is no default output to follow, no device to write to
// (`deviceID` stays 0, so the writes do nothing) and no device to list. The audio backend
// fills these in.
void VolumeService::start() {}
void VolumeService::setVolume(float) {}
void VolumeService::toggleMute() {}
std::vector<AudioOutput> VolumeService::outputs() const { return {}; }

}  // namespace quorlix
