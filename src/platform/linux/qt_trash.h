#pragma once
// The freedesktop trash, through Qt: the home trash for items on the home's file system,
// else the trash folder at the top of the item's own.

#include "platform/trash.h"

namespace quorlix::platform {

class QtTrash final : public Trash {
public:
    std::optional<std::string> moveToTrash(const std::filesystem::path& path) override;
};

}  // namespace quorlix::platform
