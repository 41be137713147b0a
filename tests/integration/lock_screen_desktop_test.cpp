// The lock screen's developer preview on a bare desktop: its windows over the desktop.

#include "bare_desktop.h"

namespace quorlix::testing::bare_desktop {
namespace {

TEST_F(Desktop, TheLockScreenPreviewShowsItsWindowsOnTheDesktop) {
    Screen& screen = *this->screen;
    // The card: 339 by 185, centred, its middle 70 % of the height down; its play button in
    // the middle of its control row, 24 points above its glass's bottom.
    const int cardTop = static_cast<int>(0.7 * screenHeight - 92.5);
    const int playY = cardTop + 185 - 4 - 24 - 15;
    const auto playButton = [&](const QImage& image) {
        return brightPixels(image, centre - 15, playY - 14, centre + 15, playY + 14);
    };
    // The glass darkens the desktop at the card's left edge, beside the progress row (and
    // only once the window has faded in, whatever its content draws meanwhile).
    const auto cardGlass = [&](const QImage& image) {
        return darkened(image, centre - 160, cardTop + 110, 15);
    };

    launch(R"({"previewLockScreen": true})");
    EXPECT_TRUE(shows([&](const QImage& image) { return cardGlass(image) && playButton(image) > 40; }))
        << "no player card with the sample track";
    const int desktop = qGray(screen.grab().pixel(60, screenHeight / 2));

    launch(R"({"previewLockScreen": true, "previewOutputs": true})");
    EXPECT_TRUE(shows([&](const QImage& image) {
        // The chooser's title in the top-left of the glass, no controls.
        return cardGlass(image) && playButton(image) == 0 &&
               brightPixels(image, centre - 160, cardTop + 10, centre - 40, cardTop + 30, 150) > 20;
    })) << "the card did not open on its output chooser";

    launch(R"({"previewLockScreen": true, "previewFullArtwork": true})");
    EXPECT_TRUE(shows([&](const QImage& image) {
        // A veil over the whole desktop and the large clock above the artwork.
        const int clockY = static_cast<int>(0.16 * screenHeight);
        return qGray(image.pixel(screenWidth - 60, screenHeight - 40)) < desktop - 20 &&
               brightPixels(image, centre - 200, clockY - 20, centre + 200, clockY + 40) > 500;
    })) << "no full-artwork view";
    EXPECT_TRUE(quorlix->running());
}

}  // namespace
}  // namespace quorlix::testing::bare_desktop
