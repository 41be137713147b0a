#pragma once
// Reading the header of a RIFF/WAVE file: enough to tell a sound file from anything else and
// to know how long it plays.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace quorlix::platform {

struct WavInfo {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataBytes = 0;
    double duration() const;
};

std::optional<WavInfo> parseWavHeader(std::string_view bytes);
std::optional<WavInfo> readWavInfo(const std::filesystem::path& file);

}  // namespace quorlix::platform
