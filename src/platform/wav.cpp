#include "platform/wav.h"

#include <fstream>
#include <string>

namespace quorlix::platform {

namespace {
std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}
}  // namespace

double WavInfo::duration() const {
    const double bytesPerSecond = static_cast<double>(sampleRate) * channels * (bitsPerSample / 8.0);
    return bytesPerSecond > 0 ? dataBytes / bytesPerSecond : 0;
}

std::optional<WavInfo> parseWavHeader(std::string_view b) {
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return std::nullopt;
    WavInfo info;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const auto id = b.substr(at, 4);
        const std::uint32_t size = le32(b, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > b.size()) return std::nullopt;
            info.channels = le16(b, body + 2);
            info.sampleRate = le32(b, body + 4);
            info.bitsPerSample = le16(b, body + 14);
            haveFormat = info.channels > 0 && info.sampleRate > 0 && info.bitsPerSample > 0;
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;
            info.dataBytes = size;
            return info;
        }
        // Chunks are padded to an even length.
        const std::uint64_t next = static_cast<std::uint64_t>(body) + size + (size & 1);
        if (next > b.size()) return std::nullopt;
        at = static_cast<std::size_t>(next);
    }
    return std::nullopt;
}

std::optional<WavInfo> readWavInfo(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // Headers sit at the front.
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    // The data chunk's samples may run past what was read: only its header must be inside.
    return parseWavHeader(head);
}

}  // namespace quorlix::platform
