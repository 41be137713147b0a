#pragma once
// Files of the hook tests, in the fake platform's temporary home.

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "services/agent_service.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace quorlix::testing {

using ordered_json = nlohmann::ordered_json;
namespace fs = std::filesystem;

class AgentFilesTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    const fs::path claude = AgentService::claudeSettingsPath();
    const fs::path codex = AgentService::codexConfigPath();

    // Writes bytes as they stand (no temporary file: some tests need the inode).
    static void put(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string bytes(const fs::path& path) { return platform::readFile(path).value_or("<ninguno>"); }
    static ordered_json parsed(const fs::path& path) { return ordered_json::parse(bytes(path)); }
    static bool exists(const fs::path& path) {
        return fs::symlink_status(path).type() != fs::file_type::not_found;
    }

    // The service reads and upgrades the files when it is made.
    std::unique_ptr<AgentService> makeService() { return std::make_unique<AgentService>(nullptr); }
};

}  // namespace quorlix::testing
