// Files the user names, or that may change under us, read where a FIFO or a device stands in
// their place (through a link, too): each reader answers at once with nothing, and never waits on the FIFO
// for a writer nor reads a device without end. Regular files read whole, within a size limit.

#include "fakes/fake_platform.h"
#include "fakes/wait_for.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/file_thumbnail.h"
#include "platform/linux/linux_application_instance.h"
#include "platform/linux/linux_desktop_picture.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/panel_appearance.h"
#include "platform/linux/url_scheme_handler.h"
#include "platform/linux/xdg_login_item.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"
#include "services/application_folder.h"

#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;

// Runs `read` on a thread of its own. False when it did not end, after letting a reader stuck
// on `fifo` go (so that the test itself ends).
::testing::AssertionResult endsWithoutWaiting(const std::function<void()>& read, const fs::path& fifo) {
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([read, ended] {
        read();
        *ended = true;
    });
    if (testing::waitFor([&] { return ended->load(); })) {
        thread.join();
        return ::testing::AssertionSuccess();
    }
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    thread.detach();
    return ::testing::AssertionFailure() << "it waited on what stands in the file's place";
}

TEST(UserFilesTest, WhatStandsInAFilesPlaceIsRefusedAtOnceAndRegularFilesReadWithinTheirLimit) {
    fakes::TempHome home;
    const fs::path fifo = home.path() / "tubo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path linkedFifo = home.path() / "enlace.desktop";
    fs::create_symlink(fifo, linkedFifo);
    const fs::path device = home.path() / "cero.xml";
    fs::create_symlink("/dev/zero", device);

    // Each reader, true when it got anything.
    const std::pair<const char*, std::function<bool(const fs::path&)>> readers[] = {
        {"readFile", [](const fs::path& p) { return readFile(p).has_value(); }},
        {"a desktop entry", [](const fs::path& p) { return DesktopEntry::read(p).has_value(); }},
        {"KDE's desktop configuration",
         [](const fs::path& p) { return LinuxDesktopPicture::fromKdeConfig(p).has_value(); }},
        {"KDE's colours", [](const fs::path& p) { return fromKdeGlobals(p).has_value(); }},
        {"a background description",
         [](const fs::path& p) { return LinuxDesktopPicture::firstFileOfBackground(p).has_value(); }},
        {"a thumbnail",
         [](const fs::path& p) {
             return fileThumbnail(p, {100, 100}).has_value();
         }},
        {"an application's icon named by its entry",
         [&](const fs::path& p) {
             const fs::path entry = home.path() / "reproductor.desktop";
             std::ofstream(entry) << "[Desktop Entry]\nName=Reproductor\nIcon=" << p.string() << "\n";
             MprisBus noBus(QDBusConnection(QStringLiteral("ninguno")));
             return LinuxWorkspace(noBus).icon(entry.string()).has_value();
         }},
    };
    for (const auto& [name, reads] : readers) {
        for (const fs::path& standIn : {fifo, linkedFifo, device}) {
            SCOPED_TRACE(std::string(name) + " of " + standIn.filename().string());
            bool got = true;
            EXPECT_TRUE(endsWithoutWaiting([&] { got = reads(standIn); }, fifo));
            EXPECT_FALSE(got);
        }
    }

    const fs::path text = home.path() / "nota.txt";
    std::ofstream(text) << "hola";
    EXPECT_EQ(readFile(text), "hola");
    EXPECT_EQ(readFile(text, 4), "hola");
    EXPECT_EQ(readFile(text, 3), std::nullopt);
    const std::string large(200'000, 'x');  // several reads
    std::ofstream(text, std::ios::trunc) << large;
    EXPECT_EQ(readFile(text), large);
    EXPECT_EQ(readFile(text, large.size() - 1), std::nullopt);
    EXPECT_EQ(readFile(home.path() / "no-existe"), std::nullopt);
    EXPECT_EQ(readFile(home.path()), std::nullopt);
}

// The bytes this process has read so far, as the kernel counts them.
std::uint64_t bytesRead() {
    std::ifstream io("/proc/self/io");
    for (std::string key; io >> key;) {
        std::uint64_t value = 0;
        io >> value;
        if (key == "rchar:") return value;
    }
    return 0;
}

// A file that begins as a reader expects and runs on, as a hole, past what any of these
// readers takes (the settings take the most).
constexpr std::uintmax_t oversized = UserDefaults::maxFileSize + 1;
void makeOversized(const fs::path& file, const std::string& head) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << head;
    fs::resize_file(file, oversized);
}

TEST(UserFilesTest, FilesThatShouldBeSmallAreNeverReadWholeWhenTheyAreNot) {
    testing::QtApplicationMember app;
    fakes::TempHome home;
    const fs::path program = home.path() / "Quorlix" / "quorlix";
    struct Reader {
        const char* name;
        fs::path file;
        std::string head;
        // True when the reader took the file as too large.
        std::function<bool()> refuses;
    };
    const std::string entry = "[Desktop Entry]\nType=Application\nExec=quorlix\n";
    const Reader readers[] = {
        {"another domain's settings", Paths::defaultsFile("com.test.otro"), R"({"a": 1})",
         [] { return !UserDefaults::persistentDomain("com.test.otro"); }},
        {"the settings", Paths::defaultsFile("com.test.domain"), R"({"a": 1})",
         [] {
             UserDefaults settings("com.test.domain");
             return !settings.object("a") && !fs::exists(Paths::defaultsFile("com.test.domain"));
         }},
        {"the launch-at-login entry", XdgLoginItem::entryFile(), entry,
         [] { return !XdgLoginItem().isEnabled(); }},
        // Replaced by the entry it should be.
        {"the entry of quorlix:// addresses", UrlSchemeHandler::entryFile(), entry,
         [&] {
             return UrlSchemeHandler::registerExecutable(program) &&
                    readFile(UrlSchemeHandler::entryFile()) == UrlSchemeHandler::entry(program);
         }},
        {"the entry checked after a move", UrlSchemeHandler::entryFile(), entry,
         [&] { return !LinuxApplicationInstance(nullptr).registerProgram(program); }},
        {"the application folder's description", home.path() / "app" / ApplicationFolder::infoFile,
         R"({"identifier": "com.halvik.quorlix", "version": "1.0"})",
         [&] { return !AppInfo::read(home.path() / "app"); }},
    };
    for (const auto& reader : readers) {
        SCOPED_TRACE(reader.name);
        makeOversized(reader.file, reader.head);
        const std::uint64_t before = bytesRead();
        EXPECT_TRUE(reader.refuses());
        EXPECT_LT(bytesRead() - before, std::uint64_t{8} << 20);
    }
    // The settings were moved aside as damaged, whole.
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(Paths::defaultsFile("com.test.domain").parent_path()))
        if (e.path().filename().string().starts_with("com.test.domain.json.corrupt-"))
            aside.push_back(e.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(aside[0]), oversized);
}

}  // namespace
}  // namespace quorlix::platform
