#pragma once
// The picture the user chose for their account, as the system's account service records it.
// On Linux: AccountsService's icon file for the user's id.

#include <filesystem>
#include <functional>
#include <optional>

namespace quorlix::platform {

class AccountPicture {
public:
    virtual ~AccountPicture() = default;
    // Asks for the icon file of the account `uid`; `done` gets it, or nothing, on the main
    // thread, possibly at once. Nothing waits on the service meanwhile: a backend destroyed
    // first (the application quitting) never calls `done`. Main thread only.
    virtual void pictureFile(unsigned uid,
                             std::function<void(std::optional<std::filesystem::path>)> done) = 0;
};

}  // namespace quorlix::platform
