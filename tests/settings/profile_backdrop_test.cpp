// The user's profile (full name, initials, the picture read in the background) and the
// wallpaper backdrop (decoded once, dimmed, the gradient without a picture).

#include "fakes/fake_platform.h"
#include "fakes/fixed_font_engine.h"
#include "settings/user_profile.h"
#include "settings/wallpaper.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"
#include "ui/view_host.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <fstream>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using ui::View;

TEST(UserProfileTest, TheFullNameIsTheGecosUpToItsFirstCommaOrElseTheLoginName) {
    EXPECT_EQ(UserProfile::fullName("Ana María Gómez,,,", "ana"), "Ana María Gómez");
    EXPECT_EQ(UserProfile::fullName("Ángel Ruiz", "angel"), "Ángel Ruiz");
    EXPECT_EQ(UserProfile::fullName(",Oficina 3,,", "ana"), "ana");
    EXPECT_EQ(UserProfile::fullName("", "ana"), "ana");
}

TEST(UserProfileTest, InitialsTakeTheFirstGraphemeOfTheFirstTwoWords) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Ana María Gómez", "AM"},
        {"Ángel", "Á"},
        {"A\xCC\x81ngel O\xCC\x81scar", "A\xCC\x81O\xCC\x81"},  // decomposed accents stay whole
        {"  ana   maría ", "am"},
        {"Ñandú", "Ñ"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(initials(name), expected) << name;
}

class ProfileFiles : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fs::path write(const std::string& name, const std::string& bytes) {
        const fs::path file = fake.home.path() / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

TEST_F(ProfileFiles, ThePictureComesFromTheAccountServiceElseTheFaceFileAndOnlyFromSmallRegularFiles) {
    const platform::Image red = fakes::FakeImageDecoder::solid(2, 2, 255, 0, 0);
    const platform::Image blue = fakes::FakeImageDecoder::solid(2, 2, 0, 0, 255);
    fake.imageDecoder.images["account"] = red;
    fake.imageDecoder.images["face"] = blue;
    const fs::path face = write(".face", "face");
    EXPECT_EQ(UserProfile::readPhoto(write("icon", "account"), fake.imageDecoder, face), red);
    EXPECT_EQ(UserProfile::readPhoto(std::nullopt, fake.imageDecoder, face), blue);
    // An icon that does not decode falls back to the face file.
    EXPECT_EQ(UserProfile::readPhoto(write("broken", "not a picture"), fake.imageDecoder, face), blue);

    // A folder, a pipe and a file over 10 MiB are refused, the pipe without waiting on it.
    fs::create_directory(fake.home.path() / "folder");
    const fs::path fifo = fake.home.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path large = write("large", std::string(UserProfile::maxPhotoBytes + 1, 'x'));
    fake.imageDecoder.images[std::string(UserProfile::maxPhotoBytes + 1, 'x')] = red;
    for (const fs::path& bad : {fake.home.path() / "folder", fifo, large})
        EXPECT_EQ(UserProfile::readPhoto(std::nullopt, fake.imageDecoder, bad), std::nullopt) << bad;
}

TEST_F(ProfileFiles, TheSharedProfileGetsItsPictureOnTheMainThread) {
    fake.imageDecoder.images["face"] = fakes::FakeImageDecoder::solid(3, 3, 0, 255, 0);
    fake.imageDecoder.images["account"] = fakes::FakeImageDecoder::solid(4, 4, 255, 0, 0);
    std::ofstream(fs::path(std::getenv("HOME")) / ".face") << "face";
    fake.accountPicture.files[::getuid()] = write("icon", "account");
    UserProfile& profile = UserProfile::shared();
    EXPECT_FALSE(profile.name.get().empty());
    EXPECT_EQ(profile.photo.get(), std::nullopt);  // read, but handed over on the main queue
    fake.time.runPending();
    ASSERT_TRUE(profile.photo.get());
    EXPECT_EQ(profile.photo.get()->width, 4) << "the account service's picture first";
}

class BackdropTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;

    static QColor centre(const ui::View& view) {
        const QImage image = ui::qt::renderImage(view.frame({.width = 60, .height = 40}), {60, 40}, 1);
        return image.pixelColor(30, 20);
    }
};

TEST_F(BackdropTest, ThePictureIsDecodedOnceAndDimmedOrReplacedByTheGradient) {
    const fs::path file = fake.home.path() / "wallpaper.jpg";
    std::ofstream(file) << "jpeg";
    fake.desktopPicture.path = file;
    fake.imageDecoder.images["jpeg"] = fakes::FakeImageDecoder::solid(90, 60, 200, 100, 50);
    EXPECT_TRUE(Wallpaper::image());
    EXPECT_TRUE(Wallpaper::image());
    EXPECT_EQ(fake.desktopPicture.reads, 1);
    ASSERT_EQ(fake.imageDecoder.limitsSeen.size(), 1u);
    EXPECT_EQ(fake.imageDecoder.limitsSeen[0].thumbnailMaxSide, 900);

    const QColor clear = centre(WallpaperBackdrop{.blur = 16, .dim = 0});
    EXPECT_NEAR(clear.red(), 200, 2);
    EXPECT_NEAR(clear.green(), 100, 2);
    EXPECT_NEAR(clear.blue(), 50, 2);
    EXPECT_EQ(centre(WallpaperBackdrop{.blur = 16, .dim = 1}), QColor(0, 0, 0));

    // No picture: the gradient from dark green to dark blue-grey, not blurred.
    Wallpaper::setImage(std::nullopt);
    const QImage gradient = ui::qt::renderImage(
        View(WallpaperBackdrop{.blur = 16, .dim = 0}).frame({.width = 100, .height = 100}), {100, 100}, 1);
    const QColor first = gradient.pixelColor(0, 0), last = gradient.pixelColor(99, 99);
    EXPECT_NEAR(first.redF(), 0.2, 0.02);
    EXPECT_NEAR(first.greenF(), 0.3, 0.02);
    EXPECT_NEAR(last.redF(), 0.12, 0.02);
    EXPECT_NEAR(last.blueF(), 0.2, 0.02);

    // A FIFO named as the picture is no picture, and is not waited on for a writer.
    const fs::path fifo = fake.home.path() / "fondo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fake.desktopPicture.path = fifo;
    EXPECT_EQ(Wallpaper::load(&fake.desktopPicture, &fake.imageDecoder), std::nullopt);
}

TEST_F(BackdropTest, ABackdropBlursOncePerSizeNotPerFrame) {
    Wallpaper::setImage(fakes::FakeImageDecoder::solid(90, 60, 10, 20, 30));
    ui::State<double> width;
    width = 80;
    struct Root {
        ui::State<double> width;
        ui::View body(ui::Context&) const {
            return View(WallpaperBackdrop{.blur = 16, .dim = 0.15})
                .frame({.width = width.get(), .height = 40});
        }
    };
    fakes::FixedFontEngine fonts;
    ui::ViewHost host(fonts, Root{width}, {200, 100});
    const auto picture = [&] {
        host.render();
        const ui::DisplayItem* image = host.displayList().find(
            [](const ui::DisplayItem& i) { return i.kind == ui::DisplayItem::Kind::image; });
        return image ? image->image.pixels : nullptr;
    };
    const auto first = picture();
    ASSERT_NE(first, nullptr);
    host.graph().invalidation().invalidate();
    EXPECT_EQ(picture(), first);  // the same blurred pixels, not blurred again
    width = 120;
    host.setRoot(Root{width});
    const auto resized = picture();
    EXPECT_NE(resized, first);
    EXPECT_EQ(host.displayList()
                  .find([](const ui::DisplayItem& i) { return i.kind == ui::DisplayItem::Kind::image; })
                  ->image.width,
              240);  // blurred at twice the size in points
}

TEST(CoverBlurredTest, AFlatPictureStaysFlatAndFillsTheWholeSize) {
    const platform::Image flat = fakes::FakeImageDecoder::solid(40, 10, 90, 120, 150);
    const platform::Image out = coverBlurred(flat, 20, 20, 8);
    EXPECT_EQ(out.width, 20);
    EXPECT_EQ(out.height, 20);
    for (std::size_t i = 0; i < out.pixels->size(); i += 4) {
        EXPECT_EQ((*out.pixels)[i], 90);
        EXPECT_EQ((*out.pixels)[i + 3], 255);
    }
}

}  // namespace
}  // namespace quorlix
