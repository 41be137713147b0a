// The desktop picture from GNOME's settings (kept in memory, nothing of the user's read or
// changed) and from KDE Plasma's configuration in a temporary home.

#include "platform/linux/linux_desktop_picture.h"

#include "fakes/fake_platform.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <fstream>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;

class DesktopPictureTest : public ::testing::Test {
protected:
    fakes::TempHome home;
    fs::path root = home.path();

    fs::path file(const fs::path& relative, const std::string& text = "picture") {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(DesktopPictureTest, GnomeNamesItByColourSchemeAndABackgroundDescriptionByItsFirstFile) {
    setenv("GSETTINGS_BACKEND", "memory", 1);
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.background", TRUE) : nullptr;
    if (!schema) GTEST_SKIP() << "the org.gnome.desktop.background schema is missing";
    g_settings_schema_unref(schema);
    GSettings* background = g_settings_new("org.gnome.desktop.background");
    GSettings* interface = g_settings_new("org.gnome.desktop.interface");

    const fs::path light = file("Imágenes/claro y luz.jpg");
    const fs::path dark = file("Imágenes/oscuro.png");
    const fs::path first = file("fondos/1920x1080.png");
    const fs::path xml = file("fondos/fondo.xml",
                              "<background><static><duration>10</duration><file>"
                              "<size width=\"1920\" height=\"1080\">" +
                                  first.string() +
                                  "</size><size width=\"800\" height=\"600\">/x.png</size>"
                                  "</file></static></background>");
    const auto uri = [](const fs::path& p) {
        gchar* u = g_filename_to_uri(p.c_str(), nullptr, nullptr);
        std::string out = u;
        g_free(u);
        return out;
    };
    g_settings_set_string(background, "picture-uri", uri(light).c_str());
    g_settings_set_string(background, "picture-uri-dark", uri(dark).c_str());
    g_settings_set_string(interface, "color-scheme", "default");
    EXPECT_EQ(LinuxDesktopPicture::fromGnomeSettings(), light);
    g_settings_set_string(interface, "color-scheme", "prefer-dark");
    EXPECT_EQ(LinuxDesktopPicture::fromGnomeSettings(), dark);
    g_settings_set_string(background, "picture-uri-dark", uri(xml).c_str());
    EXPECT_EQ(LinuxDesktopPicture::fromGnomeSettings(), first);
    // Only local files count; a missing one is none.
    g_settings_set_string(background, "picture-uri-dark", "https://example.org/fondo.jpg");
    EXPECT_EQ(LinuxDesktopPicture::fromGnomeSettings(), std::nullopt);
    g_settings_set_string(background, "picture-uri-dark", uri(root / "no-existe.jpg").c_str());
    EXPECT_EQ(LinuxDesktopPicture::fromGnomeSettings(), std::nullopt);
    g_object_unref(background);
    g_object_unref(interface);
}

TEST_F(DesktopPictureTest, KdeNamesItInTheFirstDesktopWallpaperAndAPackageByItsLargestPicture) {
    const fs::path config = root / "config" / "plasma-org.kde.plasma.desktop-appletsrc";
    const fs::path picture = file("wallpapers/playa.jpg");
    const fs::path package = root / "wallpapers" / "Next";
    file("wallpapers/Next/contents/images/1280x800.png");
    const fs::path largest = file("wallpapers/Next/contents/images/3840x2160.png");
    file("wallpapers/Next/contents/images/1920x1080.png");
    const auto write = [&](const std::string& image) {
        fs::create_directories(config.parent_path());
        std::ofstream(config)
            << "[ActionPlugins][0]\nRightButton;NoModifier=org.kde.contextmenu\n\n"
               "[Containments][1]\nformfactor=0\nplugin=org.kde.plasma.folder\n\n"
               "[Containments][1][Wallpaper][org.kde.image][General]\nImage="
            << image
            << "\nSlidePaths=/usr/share/wallpapers/\n\n"
               "[Containments][7][Wallpaper][org.kde.image][General]\nImage=file:///otro.jpg\n";
    };
    write("file://" + picture.string());
    EXPECT_EQ(LinuxDesktopPicture::fromKdeConfig(config), picture);
    write(picture.string());
    EXPECT_EQ(LinuxDesktopPicture::fromKdeConfig(config), picture);
    write("file://" + package.string() + "/");
    EXPECT_EQ(LinuxDesktopPicture::fromKdeConfig(config), largest);
    write("");
    EXPECT_EQ(LinuxDesktopPicture::fromKdeConfig(config), std::nullopt);
    EXPECT_EQ(LinuxDesktopPicture::fromKdeConfig(root / "none"), std::nullopt);

    // In a Plasma session the backend reads this file from the configuration folder.
    write("file://" + picture.string());
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    LinuxDesktopPicture desktop;
    EXPECT_EQ(desktop.picturePath(), picture);
    unsetenv("XDG_CURRENT_DESKTOP");
}

TEST(DesktopPictureAddressTest, FileAddressesArePercentDecodedAndOthersRefused) {
    EXPECT_EQ(LinuxDesktopPicture::localPath("file:///home/ana/Im%C3%A1genes/a%20b.jpg"),
              fs::path("/home/ana/Imágenes/a b.jpg"));
    EXPECT_EQ(LinuxDesktopPicture::localPath("/srv/fondo.png"), fs::path("/srv/fondo.png"));
    EXPECT_EQ(LinuxDesktopPicture::localPath("https://example.org/a.jpg"), std::nullopt);
    EXPECT_EQ(LinuxDesktopPicture::localPath("relativo.jpg"), std::nullopt);
    EXPECT_EQ(LinuxDesktopPicture::localPath(""), std::nullopt);
}

}  // namespace
}  // namespace quorlix::platform
