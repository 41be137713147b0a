#pragma once
// The append-only diagnostic log, one entry per line: "<UTC date> <message>".
//
// The file is deleted once it has grown past `sizeCap` bytes, so the next entry starts a
// fresh file. Writing never fails visibly. Main thread only.

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorlix {

struct KeyLog {
    static constexpr std::uintmax_t sizeCap = 256000;

    static void write(const std::string& message);
    // The few lines that belong to the system log rather than to the file: written to standard
    // error, which the desktop session's journal keeps. Also one line each.
    static void system(const std::string& message);
    static std::filesystem::path path();
    // "2026-12-07 04:24:57 +0000" for the given seconds since 1970.
    static std::string formatDate(double secondsSince1970);
};

}  // namespace quorlix
