#pragma once
// The picture the user chose for their account, as the system's account service records it.
// On Linux: AccountsService's icon file for the user's id.

#include <filesystem>
#include <optional>

namespace quorlix::platform {

class AccountPicture {
public:
    virtual ~AccountPicture() = default;
    // The icon file of the account `uid`, or nothing. Blocking: call it off the main thread.
    virtual std::optional<std::filesystem::path> pictureFile(unsigned uid) = 0;
};

}  // namespace quorlix::platform
