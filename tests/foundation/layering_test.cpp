// The lower layers never reach up into the application: platform, services and the
// foundation types build without anything from app/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> includesOf(const fs::path& folder, const std::string& forbidden) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number)
            if (line.rfind("#include \"" + forbidden, 0) == 0)
                found.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
    }
    return found;
}

TEST(Layering, LowerLayersNeverIncludeTheApplication) {
    const fs::path src = fs::path(QUORLIX_SOURCE_DIR) / "src";
    for (const char* folder : {"platform", "services", "foundation", "ui"}) {
        const auto found = includesOf(src / folder, "app/");
        EXPECT_TRUE(found.empty()) << folder << " includes app/:\n" << (found.empty() ? "" : found.front());
    }
}

}  // namespace
