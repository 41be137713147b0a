#include "platform/key_log.h"

#include "platform/clock.h"
#include "platform/paths.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace quorlix {

namespace fs = std::filesystem;

namespace {

// One entry stays one line: control characters (line feeds among them) become spaces.
std::string oneLine(std::string message) {
    for (char& c : message) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) c = ' ';
    }
    return message;
}

}  // namespace

std::filesystem::path KeyLog::path() { return platform::Paths::logsDirectory() / "Quorlix.log"; }

std::string KeyLog::formatDate(double secondsSince1970) {
    const auto t = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[40];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buf;
}

void KeyLog::write(const std::string& message) {
    const std::string line =
        formatDate(platform::Clock::shared().date().secondsSince1970) + " " + oneLine(message) + "\n";

    const fs::path file = path();
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!ec && size > sizeCap) fs::remove(file, ec);

    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) return;
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void KeyLog::system(const std::string& message) {
    const std::string line = oneLine(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace quorlix
