// The media player the resting-cost measure plays music with: the MPRIS test player on the
// session bus (DBUS_SESSION_BUS_ADDRESS), playing a track whose artwork is a picture it writes
// into the folder given, 600 pixels square or the side given, until it is ended. It prints
// "playing" once it is on the bus. Each SIGUSR1 moves it on to another track (another id and
// title, the same artwork). Given a number of bytes, its titles and artist are that long, as a
// browser's player passes on whatever a page sets (bench/title_stall.sh); with "scripts" after
// it, they are in several scripts with emoji, not in Spanish alone; given a number of cover
// bytes instead, the artwork is a data: address that long (bench/artwork_stalls.sh).
//
// Given a number of changes after "latin" or "scripts", the first SIGUSR1 starts that many
// title changes instead (bench/title_memory.sh): every title is that many characters (code
// points) long, a counter then words drawn anew, so no two are the same text. Each change waits
// until the listener has taken the one before: as the program takes a new track on its main
// thread it asks for the player's position, so the next change goes once that read is answered,
// and no two changes reach it together to be taken as one (the island opening asks too: the
// pointer keeps still meanwhile). It prints "taken N" after each change taken, and "done" after
// the last.
//
//     quorlix-bench-player /tmp/some-folder [side [bytes [scripts | cover bytes]]]
//     quorlix-bench-player /tmp/some-folder side characters latin|scripts changes

#include "platform/mpris_test_player.h"
#include "platform/signal_wakeup.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();

    // Album artwork of a usual size, with detail (a flat picture would compress to nothing).
    const int side = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 600;
    QImage art(side, side, QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x)
            art.setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 5 + x * x / side) % 256, (x ^ y) % 256));
    const QString cover = QDir(folder).filePath(QStringLiteral("cover.png"));
    if (!art.save(cover)) {
        std::fprintf(stderr, "quorlix-bench-player: cannot write %s\n", qPrintable(cover));
        return 1;
    }

    // The titles and artist, or as many bytes of them repeated as asked for.
    const long bytes = argc > 3 ? std::atol(argv[3]) : 0;
    const auto lengthened = [bytes](const QString& text) {
        QByteArray out = text.toUtf8();
        while (out.size() < bytes) out += " " + text.toUtf8();
        return QString::fromUtf8(out);
    };
    const bool scripts = argc > 4 && QByteArray(argv[4]) == "scripts";
    const long coverBytes = argc > 4 && !scripts ? std::atol(argv[4]) : 0;
    const QString title = scripts ? QStringLiteral("夜に駆ける 사랑해 שלום مرحبا नमस्ते ✨💔 Ελλάδα")
                                  : QStringLiteral("Canción de la orilla");
    const QString nextTitle =
        scripts ? QStringLiteral("%1 夜に駆ける مرحبا ✨") : QStringLiteral("Canción %1");
    const QString artist = scripts ? QStringLiteral("ヨルシカ فيروز 🎶") : QStringLiteral("Los Faroles");
    const QString album = QStringLiteral("Noches de puerto");
    const std::vector<quorlix::testing::TestTrack> playlist{
        {QStringLiteral("/org/quorlix/track/1"),
         lengthened(title),
         {lengthened(artist)},
         album,
         354'000'000,
         coverBytes > 0 ? QStringLiteral("data:image/png;base64,") + QString(coverBytes, QLatin1Char('A'))
                        : QUrl::fromLocalFile(cover).toString()},
    };
    quorlix::testing::MprisTestPlayer player(QDBusConnection::sessionBus(),
                                             QStringLiteral("org.mpris.MediaPlayer2.testplayer"), playlist);
    if (!player.publish()) {
        std::fprintf(stderr, "quorlix-bench-player: cannot publish on the session bus\n");
        return 1;
    }
    player.setStatus(QStringLiteral("Playing"));
    int next = 1;
    const auto moveOn = [&](const QString& title) {
        auto track = playlist.front();
        ++next;
        track.id = QStringLiteral("/org/quorlix/track/%1").arg(next);
        track.title = title;
        player.replaceCurrent(track);
    };

    const long changes = argc > 5 ? std::atol(argv[5]) : 0;
    if (changes > 0) {
        // The titles' words, those of the track above.
        const QStringList words = QStringList{title, artist, album}
                                      .join(QLatin1Char(' '))
                                      .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const long characters = std::max(bytes, 1L);
        const auto pacedTitle = [&words, characters](int number) {
            QList<uint> points = QString::number(number).toUcs4();
            std::uint32_t draw = 2'463'534'242U ^ static_cast<std::uint32_t>(number) * 2'654'435'761U;
            while (points.size() < characters) {
                draw ^= draw << 13;
                draw ^= draw >> 17;
                draw ^= draw << 5;
                points += (QLatin1Char(' ') + words.at(static_cast<qsizetype>(draw % words.size()))).toUcs4();
            }
            points.resize(characters);
            return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
        };
        // The track playing from the start is one of them already.
        moveOn(pacedTitle(next + 1));

        long taken = 0;
        bool waiting = false;
        const auto change = [&] {
            moveOn(pacedTitle(next + 1));
            waiting = true;
        };
        player.answered = [&](const QDBusMessage& call) {
            if (!waiting || call.member() != QLatin1String("Get") ||
                call.arguments().value(1).toString() != QLatin1String("Position"))
                return;
            waiting = false;
            std::printf("taken %ld\n", ++taken);
            if (taken == changes) std::puts("done");
            std::fflush(stdout);
            // After the answer has left.
            if (taken < changes) QTimer::singleShot(0, &app, change);
        };
        bool begun = false;
        const quorlix::testing::SignalWakeup starting(SIGUSR1, [&] {
            if (!std::exchange(begun, true)) change();
        });
        std::printf("playing, %ld changes of %ld characters on SIGUSR1\n", changes, characters);
        std::fflush(stdout);
        return QCoreApplication::exec();
    }

    const quorlix::testing::SignalWakeup skipping(SIGUSR1,
                                                  [&] { moveOn(lengthened(nextTitle.arg(next + 1))); });
    std::puts("playing");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
