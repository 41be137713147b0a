// Each layer includes only itself and the layers below it. The build already refuses an
// upward include in a file it compiles; this also covers headers nothing includes yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Bottom up; ui draws platform's images and clock.
const std::vector<std::string> layers = {"platform", "ui",     "foundation", "services",
                                         "island",   "window", "settings",   "app"};

// Each folder of src/ and the highest layer it may include. The platform's Qt windows host
// ui's view trees, so its Linux backends sit beside ui; the calendar module (platform/linux/eds)
// is built on its own and sees the platform alone.
const std::vector<std::pair<std::string, std::size_t>> folders = {
    {"platform", 0},
    {"platform/linux", 1},
    {"platform/linux/eds", 0},
    {"ui", 1},
    {"ui/qt", 1},
    {"foundation", 2},
    {"services", 3},
    {"island", 4},
    {"window", 5},
    {"settings", 6},
    {"app", 7},
};

// The "layer/..." includes of the files in `folder` that name a layer above `highest`.
std::vector<std::string> upwardIncludes(const fs::path& folder, std::size_t highest) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            for (std::size_t above = highest + 1; above < layers.size(); ++above) {
                if (line.rfind("#include \"" + layers[above] + "/", 0) == 0)
                    found.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
            }
        }
    }
    return found;
}

TEST(Layering, EveryLayerIncludesOnlyItselfAndTheLayersBelow) {
    const fs::path src = fs::path(QUORLIX_SOURCE_DIR) / "src";
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_directory()) continue;
        const auto folder = fs::relative(entry.path(), src).string();
        EXPECT_TRUE(
            std::any_of(folders.begin(), folders.end(), [&](const auto& f) { return f.first == folder; }))
            << folder << " has no place among the layers";
    }
    for (const auto& [folder, highest] : folders) {
        const auto found = upwardIncludes(src / folder, highest);
        EXPECT_TRUE(found.empty()) << folder << " reaches up:\n" << (found.empty() ? "" : found.front());
    }
}

}  // namespace
