#pragma once
// What the fuzz targets share: the input as text, a check that stops the run with a finding,
// and the fake platform (a temporary home, virtual time) for targets that go through a
// service or a file.

#include "fakes/fake_platform.h"
#include "services/agent_service.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

namespace quorlix::fuzzing {

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut in two at its first NUL byte (none: all of it, and nothing).
inline std::pair<std::string_view, std::string_view> halves(std::string_view input) {
    const auto nul = input.find('\0');
    if (nul == std::string_view::npos) return {input, {}};
    return {input.substr(0, nul), input.substr(nul + 1)};
}

// A property every input must keep; a broken one is a finding like a crash.
inline void check(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// One fake platform for the whole run, removed with its home at exit.
inline fakes::FakePlatform& fakePlatform() {
    static fakes::FakePlatform platform;
    return platform;
}

// Puts the input in one of the agents' files, with no backup copy beside it yet and no error
// left from the input before; answers the input.
inline std::string placeAgentFile(AgentService& agents, const std::filesystem::path& file,
                                  std::string_view input) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << input;
    std::filesystem::remove(AgentService::backupPath(file));
    agents.lastError = std::nullopt;
    return std::string(input);
}

}  // namespace quorlix::fuzzing
