#include "services/bluetooth_service.h"
#include "services/volume_service.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

struct NameCase {
    std::string name;
    std::uint32_t transport;
    std::string expected;
};

TEST(AudioOutputTest, ShortName) {
    const std::vector<NameCase> cases{
        {"MacBook Pro Speakers", AudioOutput::builtIn, "Bocinas"},
        {"Bocinas de Ana", AudioOutput::builtIn, "Bocinas"},
        {"LG UltraFine", AudioOutput::displayPort, "Pantalla"},
        {"Samsung TV", AudioOutput::hdmi, "HDMI"},
        {"AirPods Pro de Tavio", AudioOutput::bluetooth, "AirPods Pro"},
        {"Bocinas de la sala de Ana", AudioOutput::airPlay, "Bocinas"},
        {"Ana\u2019s AirPods", AudioOutput::bluetooth, "AirPods"},
        {"Ana's Beats Solo", AudioOutput::bluetooth, "Beats Solo"},
        // " de " at the start leaves nothing before it; no possessive follows.
        {" de Ana", AudioOutput::bluetooth, " de Ana"},
        // An empty piece passes the separator over to the next one.
        {" de Ana's Beats", AudioOutput::bluetooth, "Beats"},
        {"Ana's ", AudioOutput::bluetooth, "Ana's "},
        {"USB Audio", fourCharCode("usb "), "USB Audio"},
        {"Bocinas De Ana", 0, "Bocinas De Ana"},  // case-sensitive
    };
    for (const auto& c : cases) {
        EXPECT_EQ((AudioOutput{1, c.name, c.transport}.shortName()), c.expected) << c.name;
    }
}

TEST(AudioOutputTest, Symbol) {
    const std::vector<NameCase> cases{
        {"AirPods Pro de Tavio", AudioOutput::bluetooth, "airpodspro"},
        {"AIRPODS MAX", AudioOutput::bluetooth, "airpodsmax"},
        {"AirPods Max y AirPods Pro", AudioOutput::bluetooth, "airpodsmax"},
        {"AirPods de Ana", 0, "airpods"},  // the name wins over a failed transport read
        {"LG UltraFine", AudioOutput::displayPort, "display"},
        {"Samsung TV", AudioOutput::hdmi, "display"},
        {"Beats Solo", AudioOutput::bluetooth, "headphones"},
        {"Sony WH", AudioOutput::bluetoothLE, "headphones"},
        {"Sala", AudioOutput::airPlay, "airplayaudio"},
        {"MacBook Pro Speakers", AudioOutput::builtIn, "laptopcomputer"},
        {"USB Audio", fourCharCode("usb "), "hifispeaker.fill"},
        {"Aggregate", fourCharCode("grup"), "hifispeaker.fill"},
        {"Unknown", 0, "hifispeaker.fill"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ((AudioOutput{1, c.name, c.transport}.symbol()), c.expected) << c.name;
    }
}

TEST(AudioOutputTest, TransportCodesAreBigEndianFourCharacterCodes) {
    EXPECT_EQ(AudioOutput::builtIn, 0x626C746Eu);    // 'bltn'
    EXPECT_EQ(AudioOutput::bluetooth, 0x626C7565u);  // 'blue'
}

TEST(BluetoothServiceTest, KindFromName) {
    using Kind = AudioDeviceInfo::Kind;
    EXPECT_EQ(BluetoothService::kind("AirPods Max y AirPods Pro"), Kind::airpodsMax);
    // Plain substrings: "airpods pro max" holds "airpods pro" but not "airpods max".
    EXPECT_EQ(BluetoothService::kind("AirPods Pro Max"), Kind::airpodsPro);
    EXPECT_EQ(BluetoothService::kind("AirPods Pro de Tavio"), Kind::airpodsPro);
    EXPECT_EQ(BluetoothService::kind("airpods de Ana"), Kind::airpods);
    EXPECT_EQ(BluetoothService::kind("Beats Studio Pro"), Kind::headphones);
    EXPECT_EQ(BluetoothService::kind("Audífonos"), Kind::headphones);
}

TEST(BluetoothServiceTest, PartLevelsAreBudsOrCase) {
    BatteryLevels levels;
    EXPECT_FALSE(levels.hasPartLevels());
    levels.main = 80;
    EXPECT_FALSE(levels.hasPartLevels());
    levels.caseLevel = 40;
    EXPECT_TRUE(levels.hasPartLevels());
    EXPECT_NE(levels, BatteryLevels{});
}

}  // namespace
}  // namespace quorlix
