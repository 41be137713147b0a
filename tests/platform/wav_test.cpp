#include "platform/wav.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix::platform {
namespace {

std::string u32(std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string u16(std::uint16_t v) { return std::string{char(v), char(v >> 8)}; }

std::string header(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, std::uint32_t dataBytes,
                   const std::string& extraChunk = "") {
    std::string fmt = u16(1) + u16(channels) + u32(rate) + u32(rate * channels * bits / 8) +
                      u16(channels * bits / 8) + u16(bits);
    return "RIFF" + u32(36 + dataBytes) + "WAVE" + extraChunk + "fmt " + u32(16) + fmt + "data" + u32(dataBytes);
}

TEST(Wav, DurationFromTheHeaderEvenWhenSamplesAreNotRead) {
    const auto info = parseWavHeader(header(44100, 1, 16, 44100));
    ASSERT_TRUE(info);
    EXPECT_DOUBLE_EQ(info->duration(), 0.5);
    const auto stereo = parseWavHeader(header(48000, 2, 16, 48000 * 4 * 3));
    ASSERT_TRUE(stereo);
    EXPECT_DOUBLE_EQ(stereo->duration(), 3.0);
}

TEST(Wav, SkipsUnknownChunksIncludingOddPadding) {
    const std::string list = "LIST" + u32(3) + "abc" + std::string(1, '\0');
    const auto info = parseWavHeader(header(8000, 1, 8, 8000, list));
    ASSERT_TRUE(info);
    EXPECT_DOUBLE_EQ(info->duration(), 1.0);
}

TEST(Wav, RejectsWhatIsNotASound) {
    EXPECT_FALSE(parseWavHeader(""));
    EXPECT_FALSE(parseWavHeader("RIFF0000AVI data"));
    EXPECT_FALSE(parseWavHeader(header(0, 1, 16, 100))) << "a zero rate has no duration";
    std::string noFormat = "RIFF" + u32(12) + "WAVE" + "data" + u32(4);
    EXPECT_FALSE(parseWavHeader(noFormat));
    std::string hugeChunk = "RIFF" + u32(12) + "WAVE" + "JUNK" + u32(0xFFFFFFF0u);
    EXPECT_FALSE(parseWavHeader(hugeChunk));
}

}  // namespace
}  // namespace quorlix::platform
