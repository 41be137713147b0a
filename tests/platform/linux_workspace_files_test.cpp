// The workspace's file operations on Linux: thumbnails from the freedesktop cache or the
// picture itself, within an allocation limit; icons by type; opening with the default
// application and showing in the file manager, against an opener and a file manager of the
// test's own.

#include "fakes/fake_platform.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/qt_main_queue.h"

#include "child_process.h"
#include "held_file.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QImage>
#include <QThread>
#include <QUrl>

#include <fcntl.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

constexpr QRgb red = 0xffff0000;
constexpr QRgb blue = 0xff0000ff;

// The file manager's side of org.freedesktop.FileManager1: records what it was asked to show.
class FileManagerStandIn final : public QDBusVirtualObject {
public:
    std::vector<QStringList> shown;

    QString introspect(const QString&) const override {
        return QStringLiteral(R"(<interface name="org.freedesktop.FileManager1">
  <method name="ShowItems"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
</interface>)");
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("ShowItems")) return false;
        shown.push_back(message.arguments().value(0).toStringList());
        connection.send(message.createReply());
        return true;
    }
};

// The CRC of a PNG chunk (type and data).
std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string chunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(crc32(type + data));
}

// A well-formed PNG of `side` by `side` transparent pixels (RGBA), compressed row by row.
std::string hugePNG(std::uint32_t side) {
    const std::string header = bigEndian(side) + bigEndian(side) + std::string("\x08\x06\x00\x00\x00", 5);
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    std::vector<unsigned char> row(1 + std::size_t{side} * 4, 0);  // filter byte, then pixels
    std::string data;
    std::array<unsigned char, 1 << 16> out{};
    for (std::uint32_t y = 0; y <= side; ++y) {
        const bool last = y == side;
        stream.next_in = row.data();
        stream.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            data.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) +
           chunk("IEND", "");
}

// Files in the folders where GIO looks for applications and their defaults, gone with the
// object. GLib reads the user's folders once in a process, so in a test program run whole
// they are the home of whichever test used GLib first, not this test's.
class GioUserFiles {
public:
    ~GioUserFiles() {
        std::error_code ec;
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) fs::remove(*it, ec);
    }
    void write(bool config, const fs::path& relative, const std::string& text) {
        const fs::path path = fs::path(config ? g_get_user_config_dir() : g_get_user_data_dir()) / relative;
        std::vector<fs::path> missing;
        for (fs::path folder = path.parent_path(); !fs::exists(folder); folder = folder.parent_path())
            missing.push_back(folder);
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            fs::create_directory(*it);
            made_.push_back(*it);
        }
        std::ofstream(path) << text;
        made_.push_back(path);
    }

private:
    std::vector<fs::path> made_;
};

class LinuxWorkspaceFilesTest : public ::testing::Test {
protected:
    QtApplicationMember app;
    fakes::TempHome home;
    PrivateBus bus;
    QDBusConnection connection = bus.connect(QStringLiteral("workspace"));
    platform::QtMainQueue mainQueue;
    std::unique_ptr<platform::MprisBus> mpris;
    std::unique_ptr<platform::LinuxWorkspace> workspace;

    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        platform::MainQueue::install(&mainQueue);
        mpris = std::make_unique<platform::MprisBus>(connection);
        workspace = std::make_unique<platform::LinuxWorkspace>(*mpris);
    }
    void TearDown() override {
        workspace.reset();
        platform::MainQueue::install(nullptr);
    }

    fs::path file(const std::string& name, const std::string& bytes = "x") {
        const fs::path path = home.path() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    fs::path picture(const std::string& name, int width, int height, QRgb color) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(color);
        const fs::path path = home.path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
        return path;
    }
    // A picture of `file` in the thumbnail cache's `folder`, made for its modification time
    // plus `staleness` seconds.
    void cache(const fs::path& file, const char* folder, int side, QRgb color, long staleness = 0) {
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
        const QByteArray name =
            QCryptographicHash::hash(QByteArray(uri), QCryptographicHash::Md5).toHex() + ".png";
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(color);
        image.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(uri));
        image.setText(QStringLiteral("Thumb::MTime"), QString::number(info.st_mtime + staleness));
        g_free(uri);
        const fs::path dir = home.path() / "cache" / "thumbnails" / folder;
        fs::create_directories(dir);
        ASSERT_TRUE(image.save(QString::fromStdString((dir / name.toStdString()).string()), "PNG"));
    }

    // Thumbnails asked for together, as delivered, checking each comes once and on the main
    // thread.
    std::vector<std::optional<QImage>> thumbnails(const std::vector<fs::path>& paths, double scale = 2) {
        std::vector<std::optional<QImage>> delivered(paths.size());
        std::vector<int> came(paths.size(), 0);
        std::vector<platform::WorkItem> handles;
        bool onMainThread = true;
        for (std::size_t i = 0; i < paths.size(); ++i)
            handles.push_back(workspace->thumbnail(
                paths[i].string(), {100, 100}, scale, [&, i](std::optional<platform::Image> image) {
                    ++came[i];
                    onMainThread =
                        onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
                    if (image)
                        delivered[i] = QImage(image->pixels->data(), image->width, image->height,
                                              QImage::Format_RGBA8888)
                                           .copy();
                }));
        EXPECT_TRUE(waitUntil([&] { return std::find(came.begin(), came.end(), 0) == came.end(); }));
        EXPECT_EQ(came, std::vector<int>(paths.size(), 1));
        EXPECT_TRUE(onMainThread);
        return delivered;
    }
    std::optional<QImage> thumbnail(const fs::path& path, double scale = 2) {
        return thumbnails({path}, scale).front();
    }
};

TEST_F(LinuxWorkspaceFilesTest, ThumbnailsComeFromTheCurrentCacheElseFromThePictureAtTheSizeAsked) {
    const fs::path wide = picture("ancho.png", 400, 200, red);
    const fs::path small = picture("chico.png", 40, 30, red);
    const fs::path cachedPhoto = picture("foto.png", 300, 300, red);
    cache(cachedPhoto, "large", 256, blue);
    const fs::path stalePhoto = picture("vieja.png", 300, 300, red);
    cache(stalePhoto, "large", 256, blue, -60);
    const fs::path document = file("informe.pdf", "%PDF-1.4");
    cache(document, "x-large", 512, blue);
    cache(document, "normal", 128, red);  // too small while a large enough one exists
    const fs::path onlySmall = file("plano.pdf", "%PDF-1.4");
    cache(onlySmall, "normal", 128, blue);
    const fs::path staleDocument = file("acta.pdf", "%PDF-1.4");
    cache(staleDocument, "large", 256, blue, 1);
    const fs::path text = file("notas.txt", "hola");

    struct Case {
        fs::path path;
        double scale;
        std::optional<QSize> size;  // none: no thumbnail
        QRgb color = red;
    };
    const Case cases[] = {
        {wide, 2, QSize(200, 100)},
        {wide, 1, QSize(100, 50)},
        {small, 2, QSize(40, 30)},  // never grown
        {cachedPhoto, 2, QSize(200, 200), blue},
        {stalePhoto, 2, QSize(200, 200), red},
        {document, 2, QSize(200, 200), blue},
        {onlySmall, 2, QSize(128, 128), blue},
        {staleDocument, 2, std::nullopt},
        {text, 2, std::nullopt},
        {home.path() / "no-existe.png", 2, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.filename().string() + " at " + std::to_string(c.scale));
        const auto image = thumbnail(c.path, c.scale);
        ASSERT_EQ(image.has_value(), c.size.has_value());
        if (!image) continue;
        EXPECT_EQ(image->size(), *c.size);
        EXPECT_EQ(image->pixel(image->width() / 2, image->height() / 2), c.color);
    }
}

TEST_F(LinuxWorkspaceFilesTest, HugePicturesAreDecodedAtTheSizeAskedOrNotAtAll) {
    // 6000 × 6000 × 4 bytes is 144 MB at full size, from a file of some 150 kB: read row by
    // row into the size asked.
    const auto png = thumbnail(file("grande.png", hugePNG(6000)));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->size(), QSize(200, 200));
    // A GIF declaring a 12000 × 12000 screen around one pixel would take 576 MB: refused.
    std::string gif("GIF89a\xe0\x2e\xe0\x2e\x80\x00\x00", 13);
    gif += std::string("\x00\x00\x00\xff\xff\xff", 6);                   // two colours
    gif += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);  // a 1 × 1 image
    gif += std::string("\x02\x02\x44\x01\x00\x3b", 6);                   // its pixel, the end
    EXPECT_FALSE(thumbnail(file("bomba.gif", gif)));
    // The workspace goes on making thumbnails.
    EXPECT_TRUE(thumbnail(picture("despues.png", 10, 10, red)));
}

TEST_F(LinuxWorkspaceFilesTest, AThumbnailWhoseHandleIsGoneIsNeverDelivered) {
    const fs::path path = picture("foto.png", 400, 400, red);
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> held = token;
    workspace
        ->thumbnail(path.string(), {100, 100}, 2,
                    [token = std::move(token)](std::optional<platform::Image>) {
                        ADD_FAILURE() << "delivered after its handle went";
                    })
        .cancel();
    // Nothing keeps what would have been called, whatever the thread making it does.
    EXPECT_TRUE(held.expired());
    EXPECT_TRUE(thumbnail(path));
}

TEST_F(LinuxWorkspaceFilesTest, AFifoGetsNoThumbnailAndHoldsBackNoOther) {
    // Asked for first, under a picture's name, with two pictures after it.
    const fs::path fifo = home.path() / "tubo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto made = thumbnails({fifo, picture("roja.png", 40, 40, red), picture("azul.png", 30, 30, blue)});
    ASSERT_EQ(made.size(), 3u);
    EXPECT_FALSE(made[0]);
    ASSERT_TRUE(made[1]);
    EXPECT_EQ(made[1]->pixel(20, 20), red);
    ASSERT_TRUE(made[2]);
    EXPECT_EQ(made[2]->pixel(15, 15), blue);
    // A reader that opened the FIFO after all is let go, so the workspace can end.
    if (const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0) {
        ADD_FAILURE() << "something waits on the FIFO";
        ::close(writer);
    }
}

// A file's icon as delivered, checking it comes once and on the main thread.
std::optional<platform::Image> fileIcon(platform::Workspace& workspace, const fs::path& path) {
    std::optional<platform::Image> icon;
    int came = 0;
    bool onMainThread = false;
    const auto work = workspace.fileIcon(path.string(), [&](std::optional<platform::Image> found) {
        ++came;
        onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        icon = std::move(found);
    });
    EXPECT_TRUE(waitUntil([&] { return came > 0; }));
    EXPECT_EQ(came, 1);
    EXPECT_TRUE(onMainThread);
    return icon;
}

TEST_F(LinuxWorkspaceFilesTest, FileIconsFollowTheFilesType) {
    const auto text = fileIcon(*workspace, file("notas.txt", "hola"));
    const auto folder = fileIcon(*workspace, home.path());
    ASSERT_TRUE(text) << "no icon theme holds a text file's icon";
    ASSERT_TRUE(folder);
    EXPECT_FALSE(text->isEmpty());
    EXPECT_FALSE(*text == *folder);
}

TEST_F(LinuxWorkspaceFilesTest, AFileWhoseOpeningHangsIsToldOffTheMainThreadAndHoldsBackNoOther) {
    const fs::path hung = file("montaje.txt", "hola");
    HeldFile held(hung, ::getpid());
    if (!held.ready()) GTEST_SKIP() << "fanotify is not allowed here";
    bool hungCame = false;
    const auto asked =
        workspace->fileIcon(hung.string(), [&](std::optional<platform::Image>) { hungCame = true; });
    ASSERT_TRUE(waitUntil([&] { return held.heldOpenings() > 0; })) << "nothing opened the file";

    // Meanwhile the main queue runs, and another file's icon comes.
    bool ran = false;
    platform::MainQueue::shared().post([&] { ran = true; });
    std::optional<platform::Image> text;
    bool textCame = false;
    const auto other =
        workspace->fileIcon(file("notas.txt", "hola").string(), [&](std::optional<platform::Image> found) {
            text = std::move(found);
            textCame = true;
        });
    ASSERT_TRUE(waitUntil([&] { return ran && textCame; }));
    EXPECT_TRUE(text);
    EXPECT_FALSE(hungCame);
    EXPECT_EQ(held.openedByMainThread(), 0);
}

TEST_F(LinuxWorkspaceFilesTest, FilesOpenWithTheirDefaultApplicationAndShowInTheFileManager) {
    // An opener that writes down what it was given, the default for text and folders.
    const fs::path log = home.path() / "abiertos.log";
    const fs::path opener = home.path() / "abrir.sh";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n";
    fs::permissions(opener, fs::perms::owner_all);
    GioUserFiles gio;
    gio.write(false, "applications/quorlix-prueba.desktop",
              "[Desktop Entry]\nType=Application\nName=Prueba\nExec=" + opener.string() +
                  " %f\nMimeType=text/plain;inode/directory;\n");
    gio.write(true, "mimeapps.list",
              "[Default "
              "Applications]\ntext/plain=quorlix-prueba.desktop\ninode/directory=quorlix-prueba.desktop\n");
    const auto opened = [&] {
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };

    fs::create_directories(home.path() / "Mis documentos");
    const fs::path note = file("Mis documentos/nota #1.txt", "hola");
    workspace->openFile(note.string());
    ASSERT_TRUE(waitUntil([&] { return opened().size() == 1; })) << "the opener did not run";
    EXPECT_EQ(opened().back(), note.string());

    // No file manager on the bus: the folder opens.
    workspace->activateFileViewerSelecting({note.string()});
    ASSERT_TRUE(waitUntil([&] { return opened().size() == 2; })) << "the folder did not open";
    EXPECT_EQ(opened().back(), note.parent_path().string());

    FileManagerStandIn manager;
    QDBusConnection managerConnection = bus.connect(QStringLiteral("file-manager"));
    ASSERT_TRUE(
        managerConnection.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager));
    ASSERT_TRUE(managerConnection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    workspace->activateFileViewerSelecting({note.string()});
    ASSERT_TRUE(waitUntil([&] { return !manager.shown.empty(); })) << "the file manager was not asked";
    EXPECT_EQ(
        manager.shown.front(),
        QStringList{QUrl::fromLocalFile(QString::fromStdString(note.string())).toString(QUrl::FullyEncoded)});
    EXPECT_EQ(manager.shown.front().front().toStdString().find(' '), std::string::npos);
    settle(200);
    EXPECT_EQ(opened().size(), 2u);
    managerConnection.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
}

}  // namespace
}  // namespace quorlix::testing
