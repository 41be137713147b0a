#include "services/application_folder.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"

#include <nlohmann/json.hpp>

namespace quorlix {

namespace fs = std::filesystem;

std::optional<AppInfo> AppInfo::read(const fs::path& folder) {
    const auto text =
        platform::readFile(folder / ApplicationFolder::infoFile, ApplicationFolder::maxInfoSize);
    if (!text) return std::nullopt;
    const auto json = nlohmann::json::parse(*text, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) return std::nullopt;
    const auto string = [&json](const char* key) -> std::optional<std::string> {
        const auto it = json.find(key);
        if (it == json.end() || !it->is_string()) return std::nullopt;
        return it->get<std::string>();
    };
    const auto identifier = string("identifier");
    const auto version = string("version");
    if (!identifier || !version) return std::nullopt;
    return AppInfo{*identifier, *version, string("build").value_or("0")};
}

fs::path ApplicationFolder::running() { return platform::Paths::executable().parent_path(); }

bool ApplicationFolder::isDevelopmentBuild(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(folder / developmentMarker, ec));
}

}  // namespace quorlix
