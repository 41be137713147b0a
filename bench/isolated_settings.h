#pragma once
// Benchmarks that change settings write them into a folder of their own, never the user's:
// call `isolateSettings()` before the first setting is read.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorlix::bench {

inline void isolateSettings() {
    static const struct Isolated {
        std::string folder = "/tmp/quorlix-bench-XXXXXX";
        Isolated() {
            if (mkdtemp(folder.data())) setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        }
        ~Isolated() {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    } isolated;
}

}  // namespace quorlix::bench
