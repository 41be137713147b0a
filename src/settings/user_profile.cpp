#include "settings/user_profile.h"

#include "platform/account_picture.h"
#include "platform/atomic_file.h"
#include "platform/image_decoder.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "ui/ui.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <pwd.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace quorlix {

namespace {

std::unique_ptr<UserProfile>& instance() {
    static std::unique_ptr<UserProfile> profile;
    return profile;
}

// The account's name and home, from the password database.
struct Account {
    std::string name;
    std::filesystem::path home;
};

Account account() {
    Account out;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        out.name =
            UserProfile::fullName(entry.pw_gecos ? entry.pw_gecos : "", entry.pw_name ? entry.pw_name : "");
        if (entry.pw_dir) out.home = entry.pw_dir;
    }
    // The home the process was given wins: that is where ~/.face is.
    if (const char* home = std::getenv("HOME"); home && *home) out.home = home;
    return out;
}

}  // namespace

UserProfile& UserProfile::shared() {
    auto& p = instance();
    if (!p) p.reset(new UserProfile());
    return *p;
}

void UserProfile::resetShared() { instance().reset(); }

UserProfile::UserProfile() {
    const Account me = account();
    name = me.name;
    const platform::Platform& platform = platform::installed();
    platform::ImageDecoder* decoder = platform.imageDecoder;
    if (!platform.utilityQueue || !decoder) return;
    const std::filesystem::path face = me.home.empty() ? std::filesystem::path() : me.home / ".face";
    // The account service is asked without waiting (the quit never waits on it); the files
    // are read and decoded off the main thread once it has answered.
    auto read = [this, queue = platform.utilityQueue, decoder,
                 face](std::optional<std::filesystem::path> icon) {
        queue->run<std::optional<platform::Image>>(
            [icon, decoder, face] { return readPhoto(icon, *decoder, face); },
            lifetime_.guard([this](std::optional<std::optional<platform::Image>> picture) {
                photo = picture ? *picture : std::nullopt;
            }));
    };
    if (platform.accountPicture) {
        platform.accountPicture->pictureFile(::getuid(), lifetime_.guard(std::move(read)));
    } else {
        read(std::nullopt);
    }
}

std::string UserProfile::fullName(std::string_view gecos, std::string_view login) {
    const std::string_view full = gecos.substr(0, gecos.find(','));
    return std::string(full.empty() ? login : full);
}

std::optional<platform::Image> UserProfile::readPhoto(const std::optional<std::filesystem::path>& icon,
                                                      platform::ImageDecoder& decoder,
                                                      const std::filesystem::path& face) {
    std::vector<std::filesystem::path> candidates;
    if (icon) candidates.push_back(*icon);
    if (!face.empty()) candidates.push_back(face);
    platform::ImageLimits limits;
    limits.maxBytes = maxPhotoBytes;
    limits.thumbnailMaxSide = 512;
    for (const auto& file : candidates) {
        const auto bytes = platform::readFile(file, maxPhotoBytes);
        if (!bytes) continue;
        if (auto image = decoder.decode(*bytes, limits)) return image;
    }
    return std::nullopt;
}

std::string initials(std::string_view name) {
    std::string out;
    int words = 0;
    std::size_t i = 0;
    while (i < name.size() && words < 2) {
        while (i < name.size() && name[i] == ' ') ++i;
        if (i >= name.size()) break;
        const std::size_t end = std::min(name.find(' ', i), name.size());
        const std::string_view word = name.substr(i, end - i);
        // The word's first grapheme: a letter with its combining marks, never part of one.
        const icu::UnicodeString text =
            icu::UnicodeString::fromUTF8(icu::StringPiece(word.data(), static_cast<int32_t>(word.size())));
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> graphemes(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        int32_t first = text.length();
        if (U_SUCCESS(status)) {
            graphemes->setText(text);
            const int32_t next = graphemes->next();
            if (next != icu::BreakIterator::DONE) first = next;
        } else {
            first = text.moveIndex32(0, 1);
        }
        text.tempSubString(0, first).toUTF8String(out);
        ++words;
        i = end;
    }
    return out;
}

ui::View AccountCard::body(ui::Context& ctx) const {
    using namespace ui;
    UserProfile& profile = ctx.object<UserProfile>();
    auto appeared = ctx.state<bool>(false);
    const View picture =
        profile.photo->has_value()
            ? View(Image(*profile.photo.get()).resizable().aspectRatio(ContentMode::fill))
            : View(ZStack({
                  LinearGradient({Color::gray(0.45), Color::gray(0.28)}, UnitPoint::top, UnitPoint::bottom),
                  Text(initials(profile.name.get()))
                      .font(Font::system(28, FontWeight::semibold))
                      .foregroundStyle(Color::white),
              }));
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 8},
                  {
                      picture.frame({.width = 84, .height = 84})
                          .clipShape(Circle())
                          .overlay(Circle().strokeBorder(Color::white.opacity(0.18), 1))
                          .shadow(Color::black.opacity(0.4), 12, 0, 6)
                          .scaleEffect(appeared.get() ? 1.0 : 0.85)
                          .opacity(appeared.get() ? 1 : 0)
                          .padding(Edge::bottom, 4)
                          .id("account.picture"),
                      HStack({.alignment = VerticalAlignment::center, .spacing = 6},
                             {Text(profile.name.get()).font(Font::system(17, FontWeight::bold))}),
                  })
        .frame({.maxWidth = infinity})
        .padding(Edge::bottom, 20)
        .onAppear([appeared] { withAnimation(Animation::spring(0.5, 0.7), [&] { appeared = true; }); });
}

}  // namespace quorlix
