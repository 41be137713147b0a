#pragma once
// The user's full name and account picture, for the account card at the top of the General
// pane. One process-wide instance, made on first use: the name is read at once from the
// password database, the picture in the background on the utility queue (the account
// service's icon file, else ~/.face) and handed to the main thread once decoded. Neither is
// read again in the process.
//
// Main thread only (the background read touches none of the object's state).

#include "platform/image.h"
#include "platform/published.h"
#include "services/lifetime.h"
#include "ui/view.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

namespace platform {
class AccountPicture;
class ImageDecoder;
}  // namespace platform

class UserProfile final : public ObservableObject {
public:
    static UserProfile& shared();
    // Drops the instance, so the next `shared()` reads again (tests only).
    static void resetShared();

    Published<std::string> name{this, ""};
    // Nothing until the picture is read, and when there is none.
    Published<std::optional<platform::Image>> photo{this, std::nullopt};

    // A password entry's full name: its GECOS field up to the first comma, or the login name
    // when that part is empty.
    static std::string fullName(std::string_view gecos, std::string_view login);
    // The account picture (blocking): the account service's `icon` file, else `face`; each
    // must be a regular file of at most 10 MiB that decodes.
    static std::optional<platform::Image> readPhoto(const std::optional<std::filesystem::path>& icon,
                                                    platform::ImageDecoder& decoder,
                                                    const std::filesystem::path& face);

    // Largest picture file read.
    static constexpr std::size_t maxPhotoBytes = 10 * 1024 * 1024;

private:
    UserProfile();
    Lifetime lifetime_;
};

// The placeholder's letters: the first character (a whole grapheme, accents included) of the
// first two words of `name`, case kept.
std::string initials(std::string_view name);

// The user's picture in a circle (or their initials) and their name, growing in as it appears.
struct AccountCard {
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
