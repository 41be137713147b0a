// The tray on a bare desktop: files dragged from another program's window onto the island,
// among them some that never answer (a FIFO, a file on a hung mount).

#include "bare_desktop.h"
#include "platform/held_file.h"

#include <QUrl>

#include <fcntl.h>
#include <signal.h>

namespace quorlix::testing::bare_desktop {
namespace {

// Where the tray's first file shows its name: the lowest bright row of the open island's page,
// on its left half (the empty tray's hint stands in the middle), or nothing.
std::optional<QPoint> trayItemName(const QImage& image) {
    for (int y = 200; y > 60; --y) {
        int count = 0;
        int sum = 0;
        for (int x = centre - 160; x < centre + 160; ++x)
            if (qGray(image.pixel(x, y)) > 200) ++count, sum += x;
        if (count == 0) continue;
        if (sum / count > centre - 40) return std::nullopt;
        return QPoint(sum / count, y - 3);
    }
    return std::nullopt;
}

// The lines of a file that read `line`.
int linesReading(const fs::path& file, const std::string& line) {
    std::ifstream in(file);
    int count = 0;
    for (std::string read; std::getline(in, read);) count += read == line;
    return count;
}

// The last line of a file that starts with `prefix`, or an empty one.
std::string lastLineStarting(const fs::path& file, const std::string& prefix) {
    std::ifstream in(file);
    std::string last;
    for (std::string read; std::getline(in, read);)
        if (read.starts_with(prefix)) last = read;
    return last;
}

// A file manager's window of the test's own, away from the island, holding `files`: it tells
// in `said` how its drags go, and writes to `received` what is dropped on it.
std::unique_ptr<ChildProcess> fileWindow(const std::vector<fs::path>& files, const fs::path& said,
                                         const fs::path& received) {
    std::vector<std::string> arguments{QUORLIX_DRAG_SOURCE};
    for (const auto& file : files) arguments.push_back(file.string());
    arguments.insert(arguments.end(), {"100", "400"});
    auto window = std::make_unique<ChildProcess>(
        arguments, std::vector<ChildProcess::Open>{{1, received.string(), O_WRONLY | O_CREAT | O_TRUNC},
                                                   {2, said.string(), O_WRONLY | O_CREAT | O_TRUNC}});
    window->watch();
    return window;
}

}  // namespace

// Drags the files of the window `fileWindow` made from it onto the closed island, then into
// the island it opens into, and lets go there once the island has said it takes them.
void Desktop::dropFromFileWindow(const fs::path& said) {
    ASSERT_TRUE(shows([](const QImage& image) { return image.pixel(200, 500) == qRgb(0, 255, 0); }))
        << "the drag source did not show";
    // Relative moves are the device's own (a warped pointer makes no raw motion), as a hand's.
    ASSERT_EQ(xdotool({"mousemove", "200", "500"}), 0);
    ASSERT_EQ(xdotool({"mousedown", "1"}), 0);
    ASSERT_EQ(movePointer((centre - 200) / 8, -(500 - 12) / 8), 0);
    ASSERT_TRUE(waitFor([&] { return linesReading(said, "drag started") == 1; })) << "no drag";
    for (int step = 1; step < 8; ++step) ASSERT_EQ(movePointer((centre - 200) / 8, -(500 - 12) / 8), 0);
    EXPECT_TRUE(shows(expanded)) << "the island did not open";
    for (const auto& [dx, dy] : {std::pair{0, 34}, {0, 34}, {5, 5}}) ASSERT_EQ(movePointer(dx, dy), 0);
    ASSERT_TRUE(waitFor([&] { return lastLineStarting(said, "drop ") == "drop accepted"; }))
        << "the island never took the drop";
    ASSERT_EQ(xdotool({"mouseup", "1"}), 0);
}

namespace {

TEST_F(Desktop, AFileDraggedOntoTheClosedIslandOpensItOnTheTrayAndStaysThere) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    const fs::path file = home().path() / "informe final.txt";
    std::ofstream(file) << "hola";
    const fs::path received = home().path() / "received.txt";
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({file}, said, received);
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    const auto stored = [&] { return storedSetting("tray.paths"); };
    ASSERT_TRUE(waitFor([&] { return !stored().empty(); })) << "the tray kept nothing";
    ASSERT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_NE(stored()[0].get<std::string>().find("informe"), std::string::npos);

    // The island stays open on the tray; dragging the file from there onto the window hands
    // the window the file's address, and the file stays in the tray.
    std::optional<QPoint> name;
    ASSERT_TRUE(shows([&](const QImage& image) { return (name = trayItemName(image)).has_value(); }))
        << "the tray shows no file";
    const int overBefore = linesReading(said, "drag over");
    ASSERT_EQ(xdotool({"mousemove", std::to_string(name->x()), std::to_string(name->y())}), 0);
    ASSERT_EQ(xdotool({"mousedown", "1"}), 0);
    for (int step = 0; step < 8; ++step)
        ASSERT_EQ(movePointer((200 - name->x()) / 8, (500 - name->y()) / 8), 0);
    // The window has answered one move over it when it sees the next: the island, which drags,
    // has heard that the window takes the file. A drag tells of one move at a time and merges
    // those that come meanwhile, so the pointer keeps moving a little, as a hand does, until then.
    int wiggle = 0;
    ASSERT_TRUE(waitFor([&] {
        if (linesReading(said, "drag over") >= overBefore + 2) return true;
        movePointer(wiggle++ % 2 == 0 ? 3 : -3, 0);
        return false;
    })) << "the drag never reached the window";
    ASSERT_EQ(xdotool({"mouseup", "1"}), 0);

    ASSERT_TRUE(waitFor([&] { return firstLine(received).has_value(); }))
        << "nothing was dropped on the window";
    EXPECT_EQ(firstLine(received),
              QUrl::fromLocalFile(QString::fromStdString(file.string())).toEncoded().toStdString());
    EXPECT_EQ(stored().size(), 1u) << stored().dump();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(quorlix->running());
}

// How many pixels of the open island's page are of about `colour`.
int pagePixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 30; y < 200; ++y)
        for (int x = centre - 175; x < centre + 175; ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::abs(qRed(p) - qRed(colour)) < 25 && std::abs(qGreen(p) - qGreen(colour)) < 25 &&
                     std::abs(qBlue(p) - qBlue(colour)) < 25;
        }
    return count;
}

TEST_F(Desktop, AFifoDroppedWithTwoPicturesHoldsBackNeitherTheirThumbnailsNorTheQuit) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    // A FIFO that nothing ever writes to, dropped first, then two pictures of their own colours.
    const fs::path fifo = home().path() / "tubo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto picture = [&](const char* name, QRgb colour) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(colour);
        const fs::path file = home().path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(file.string())));
        return file;
    };
    constexpr QRgb red = qRgb(220, 30, 30), blue = qRgb(30, 60, 230);
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({fifo, picture("roja.png", red), picture("azul.png", blue)}, said,
                                   home().path() / "received.txt");
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    // Each picture shows its thumbnail (50 points square) on the tray.
    EXPECT_TRUE(shows([&](const QImage& image) {
        return pagePixels(image, red) > 1500 && pagePixels(image, blue) > 1500;
    })) << "the pictures' thumbnails did not come";

    // Quorlix quits at SIGTERM while the FIFO's writer side has never been opened: nothing of
    // its quit waits on the FIFO. Its settings are written before it ends.
    ASSERT_EQ(::kill(quorlix->pid(), SIGTERM), 0);
    ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
    EXPECT_EQ(quorlix->exitStatus(), 0);
    EXPECT_EQ(storedSetting("tray.paths").size(), 3u) << storedSetting("tray.paths").dump();
}

TEST_F(Desktop, AFileWhoseOpeningHangsIsToldApartOffTheMainThread) {
    launch("{}");
    ASSERT_TRUE(shows([](const QImage& image) { return widthIs(image, 84); })) << "the island did not appear";

    // A file on a mount that stopped answering, dropped with a note: telling its type for its
    // icon opens it, which hangs wherever it happens.
    const fs::path hung = home().path() / "montaje.txt";
    std::ofstream(hung) << "hola";
    const fs::path note = home().path() / "nota.txt";
    std::ofstream(note) << "hola";
    HeldFile held(hung, quorlix->pid());
    if (!held.ready()) GTEST_SKIP() << "fanotify is not allowed here";
    const fs::path said = home().path() / "drag.log";
    const auto source = fileWindow({hung, note}, said, home().path() / "received.txt");
    ASSERT_NO_FATAL_FAILURE(dropFromFileWindow(said));

    // A thread of Quorlix waits on the file; its main thread never opened it, and goes on: it
    // quits at SIGTERM with both files in the tray.
    ASSERT_TRUE(waitFor([&] { return held.heldOpenings() > 0; })) << "nothing opened the file";
    EXPECT_EQ(held.openedByMainThread(), 0);
    ASSERT_EQ(::kill(quorlix->pid(), SIGTERM), 0);
    ASSERT_TRUE(waitFor([&] { return !quorlix->running(); })) << "Quorlix did not end";
    EXPECT_EQ(quorlix->exitStatus(), 0);
    EXPECT_EQ(storedSetting("tray.paths").size(), 2u) << storedSetting("tray.paths").dump();
}

}  // namespace
}  // namespace quorlix::testing::bare_desktop
