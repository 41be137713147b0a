// Writes the application's sounds as 16-bit mono WAV files:
//   Sounds/candado-cerrar.wav  lock: a short falling double click
//   Sounds/candado-abrir.wav   unlock: a soft rising two-note chime
//   Sounds/temporizador.wav    timer end: three bell notes
//   SystemSounds/Pop.wav, SystemSounds/Glass.wav: the fallbacks
//   SystemSounds/Ping.wav      an agent waiting for the user: one bright ping

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;

struct Note {
    double start;      // seconds
    double frequency;  // Hz
    double length;     // seconds
    double decay;      // per second
    double gain;
};

std::vector<double> render(const std::vector<Note>& notes, double total) {
    std::vector<double> out(static_cast<std::size_t>(total * rate), 0.0);
    for (const Note& n : notes) {
        const auto first = static_cast<std::size_t>(n.start * rate);
        const auto count = static_cast<std::size_t>(n.length * rate);
        for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
            const double t = static_cast<double>(i) / rate;
            const double attack = std::min(1.0, t / 0.004);
            const double env = attack * std::exp(-n.decay * t);
            // A bell-like tone: the fundamental with a quieter inharmonic partial.
            const double w = 2 * std::numbers::pi * n.frequency * t;
            out[first + i] += n.gain * env * (std::sin(w) + 0.3 * std::sin(2.76 * w));
        }
    }
    return out;
}

bool writeWav(const std::filesystem::path& path, const std::vector<double>& samples) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary);
    if (!f) return false;
    auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    u32(36 + dataBytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(dataBytes);
    for (double s : samples) {
        const auto v = static_cast<std::int16_t>(std::clamp(s, -1.0, 1.0) * 32000);
        f.write(reinterpret_cast<const char*>(&v), 2);
    }
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quorlix_make_sounds OUTPUT_DIR\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const bool ok =
        writeWav(out / "Sounds/candado-cerrar.wav",
                 render({{0, 1318.5, 0.08, 60, 0.35}, {0.07, 987.8, 0.14, 40, 0.35}}, 0.25)) &&
        writeWav(out / "Sounds/candado-abrir.wav",
                 render({{0, 880, 0.2, 14, 0.3}, {0.11, 1318.5, 0.3, 10, 0.3}}, 0.45)) &&
        writeWav(out / "Sounds/temporizador.wav",
                 render({{0, 1046.5, 0.6, 5, 0.3}, {0.3, 1318.5, 0.6, 5, 0.3}, {0.6, 1568, 0.9, 4, 0.3}}, 1.5)) &&
        writeWav(out / "SystemSounds/Pop.wav", render({{0, 660, 0.12, 45, 0.45}}, 0.15)) &&
        writeWav(out / "SystemSounds/Glass.wav", render({{0, 1760, 0.8, 6, 0.3}}, 0.8)) &&
        writeWav(out / "SystemSounds/Ping.wav", render({{0, 2093, 0.5, 9, 0.3}}, 0.5));
    if (!ok) {
        std::cerr << "quorlix_make_sounds: could not write into " << out << "\n";
        return 1;
    }
    return 0;
}
