// The General pane in the settings window on the fake platform: the size rows' live preview
// and reset, the login switch, the screen menu and the open-mode footnote.

#include "settings/general_pane.h"
#include "foundation/app_actions.h"
#include "island/live_preview.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class GeneralPaneTest : public testing::SettingsFixture {
protected:
    int previews = 0;
    GeneralPaneTest() {
        AppActions::previewIslandSize = [this] { ++previews; };
        LivePreview::shared().width = std::nullopt;
        LivePreview::shared().height = std::nullopt;
    }
    ~GeneralPaneTest() override { AppActions::reset(); }

    // Presses at a share of the slider in the row holding `title`.
    void pressSlider(const char* title, double share) {
        reveal("size.reset");
        const ui::DisplayItem* label = shown().findText(title);
        ASSERT_NE(label, nullptr);
        const Rect titleFrame = shown().drawnFrame(label);
        const ui::DisplayItem* fill = nullptr;
        for (const auto* f : shown().findAll([](const ui::DisplayItem& i) {
                 return i.explicitId == ui::detail::idHash(std::string_view("slider-fill"));
             }))
            if (!fill && shown().drawnFrame(f).minY() > titleFrame.minY()) fill = f;
        ASSERT_NE(fill, nullptr);
        const Rect track = shown().drawnFrame(fill);
        // The card leaves its rows 366 − 2 × 15 points.
        const double x = track.minX() + 11 + (336 - 22) * share;
        window().host().events().pointerPressed({x, track.midY()});
        window().host().events().pointerReleased({x, track.midY()});
        fake.time.runPending();
        window().host().render();
    }
};

TEST_F(GeneralPaneTest, ASizeRowPreviewsWholePointsAndItsEndClearsThePreview) {
    open();
    // 612.4 lies at (612.4 − 320) / 540 of the width row.
    pressSlider("Ancho", (612.4 - 320) / 540);
    EXPECT_EQ(LivePreview::shared().width.get(), 612);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(app->settings.islandWidth.get(), 343);
    fake.time.advance(0.25);
    EXPECT_EQ(app->settings.islandWidth.get(), 612);
    EXPECT_EQ(LivePreview::shared().width.get(), std::nullopt);
    EXPECT_EQ(previews, 2);  // the end of the preview opens it again

    GeneralPane::previewHeight(320.5);
    EXPECT_EQ(LivePreview::shared().height.get(), 321);
    GeneralPane::previewHeight(std::nullopt);
    EXPECT_EQ(LivePreview::shared().height.get(), std::nullopt);
    EXPECT_EQ(previews, 4);
}

TEST_F(GeneralPaneTest, ResetIsOnlyForAChangedSizeAndDropsTheSizesStillToBeWritten) {
    open();
    const auto resetEnabled = [&] {
        const ui::DisplayItem* reset = shown().findId("size.reset");
        return reset && reset->find([](const ui::DisplayItem& i) {
            return i.interaction && i.interaction->buttonAction;
        });
    };
    reveal("size.reset");
    EXPECT_FALSE(resetEnabled());
    app->settings.islandWidth = 344;
    fake.time.runPending();
    window().host().render();
    EXPECT_TRUE(resetEnabled());
    click("size.reset");
    EXPECT_EQ(app->settings.islandWidth.get(), 343);
    EXPECT_FALSE(resetEnabled());

    // A drag, then the reset within the quarter second: the drag is not written after it.
    pressSlider("Alto", 1.0);
    EXPECT_EQ(LivePreview::shared().height.get(), 250);
    app->settings.islandWidth = 500;
    fake.time.runPending();
    window().host().render();
    click("size.reset");
    fake.time.advance(1);
    window().host().render();
    EXPECT_EQ(app->settings.islandHeight.get(), 140);
    EXPECT_EQ(app->settings.islandWidth.get(), 343);
    EXPECT_EQ(LivePreview::shared().height.get(), std::nullopt);
    EXPECT_NE(shown().findText("140"), nullptr);
}

TEST_F(GeneralPaneTest, TheLoginSwitchFollowsTheLoginItemAndTheFootnoteTheOpenMode) {
    fake.loginItem.enabled = true;
    open();
    const auto knobOffset = [&] {
        const ui::DisplayItem* toggle = shown().findId("toggle:Abrir al iniciar sesión");
        EXPECT_NE(toggle, nullptr);
        const ui::DisplayItem* knob = toggle ? toggle->find([](const ui::DisplayItem& i) {
            return i.shape && i.frame.width() == 19 && i.frame.height() == 19;
        })
                                             : nullptr;
        return knob ? shown().drawnFrame(knob).minX() - shown().drawnFrame(toggle).minX() : -1.0;
    };
    EXPECT_GT(knobOffset(), 10);  // on
    reveal("toggle:Abrir al iniciar sesión");
    click("toggle:Abrir al iniciar sesión");
    fake.time.advance(1);
    window().host().render();
    EXPECT_FALSE(fake.loginItem.enabled);
    EXPECT_LT(knobOffset(), 5);  // off, as the login item says

    EXPECT_NE(shown().findText("La isla se abre en cuanto el mouse toca el notch."), nullptr);
    app->settings.openMode = IslandOpenMode::click;
    fake.time.runPending();
    window().host().render();
    EXPECT_EQ(shown().findText("La isla se abre en cuanto el mouse toca el notch."), nullptr);
    EXPECT_NE(shown().findText("Al hacer clic"), nullptr);

    EXPECT_NE(shown().findText("Solo la del notch"), nullptr);
    app->settings.showOnAllScreens = true;
    fake.time.runPending();
    window().host().render();
    EXPECT_NE(shown().findText("Todas las pantallas"), nullptr);
}

}  // namespace
}  // namespace quorlix
