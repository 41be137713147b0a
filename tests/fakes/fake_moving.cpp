#include "fakes/fake_moving.h"

namespace quorlix::fakes {

namespace fs = std::filesystem;

std::optional<std::string> FakeTrash::moveToTrash(const fs::path& path) {
    if (check) {
        if (auto error = check(path)) return error;
    }
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return std::string("no existe");
    if (!folder.empty()) {
        fs::create_directories(folder, ec);
        fs::rename(path, item(trashed.size()), ec);
        if (ec) return ec.message();
    }
    trashed.push_back(path);
    return std::nullopt;
}

}  // namespace quorlix::fakes
