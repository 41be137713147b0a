// Quorlix's settings file on a bare desktop: written when a signal quits it, and a damaged
// one moved aside at start.

#include "bare_desktop.h"

#include <QUrl>

#include <signal.h>

namespace quorlix::testing::bare_desktop {
namespace {

// A terminal that closes or a session that ends (SIGHUP) quits Quorlix as SIGTERM does. The
// tray holds thousands of files in folders of long names (about 7 MB of addresses), so that the
// settings written at the first launch are still being written when the signal comes.
TEST_F(Desktop, SighupAndSigtermQuitQuorlixWithItsSettingsWritten) {
    std::string letters;
    for (int i = 0; i < 100; ++i) letters += "ñ";
    const fs::path folder = home().path() / letters / letters;
    fs::create_directories(folder);
    nlohmann::json tray = nlohmann::json::array();
    for (int i = 0; i < 4000; ++i) {
        const fs::path file = folder / (letters + "-" + std::to_string(i));
        std::ofstream(file) << i;
        tray.push_back("file://" +
                       QUrl::toPercentEncoding(QString::fromStdString(file.string()), "/").toStdString());
    }
    for (const int signal : {SIGHUP, SIGTERM}) {
        SCOPED_TRACE(signal == SIGHUP ? "SIGHUP" : "SIGTERM");
        launch(nlohmann::json{{"tray.paths", tray}}.dump());
        ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); }))
            << "the island did not appear";
        ASSERT_EQ(::kill(quorlix->pid(), signal), 0);
        ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
        EXPECT_EQ(quorlix->exitStatus(), 0) << "ended by the signal itself";
        // Written at the first launch, off the main thread, whole.
        EXPECT_EQ(storedSetting("didMigrateFromTarsel"), true);
        EXPECT_EQ(storedSetting("tray.paths"), tray);
    }
}

// A settings file of 8 GiB (a hole, as a damaged disk or a stray copy leaves one) is moved
// aside without being read: Quorlix starts with its defaults and writes a settings file anew.
TEST_F(Desktop, ASettingsFileOfGibibytesIsMovedAsideUnreadAndQuorlixStartsWithItsDefaults) {
    const fs::path settings = home().config() / "com.halvik.quorlix.json";
    fs::create_directories(home().config());
    std::ofstream(settings) << R"({"didShowWelcome": true, "openMode": "click"})";
    constexpr std::uintmax_t size = std::uintmax_t{8} << 30;
    fs::resize_file(settings, size);
    quorlix = session->launch();
    // Written at start, off the main thread, into a new file.
    ASSERT_TRUE(waitFor([&] { return storedSetting("didMigrateFromTarsel") == true; }))
        << "no settings were written";
    EXPECT_TRUE(storedSetting("openMode").is_null());
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(home().config()))
        if (entry.path().filename().string().starts_with("com.halvik.quorlix.json.corrupt-"))
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(aside[0]), size);
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing::bare_desktop
