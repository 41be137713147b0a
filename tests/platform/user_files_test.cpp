// Files the user names, or that may change under us, read where a FIFO or a device stands in
// their place (through a link, too): each reader answers at once with nothing, and never waits on the FIFO
// for a writer nor reads a device without end. Regular files read whole, within a size limit.

#include "fakes/fake_platform.h"
#include "fakes/wait_for.h"
#include "platform/atomic_file.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/file_thumbnail.h"
#include "platform/linux/linux_desktop_picture.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/panel_appearance.h"

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

}  // namespace
}  // namespace quorlix::platform
