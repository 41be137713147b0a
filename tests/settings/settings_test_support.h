#pragma once
// The settings window on the fake platform: an application delegate (its services are what
// the panes read), the window's controller on a fake window rendered on virtual time, and
// queries of what the window shows.

#include "app/app_delegate.h"
#include "fakes/fake_platform.h"
#include "foundation/app_actions.h"
#include "platform/user_defaults.h"
#include "services/apple_script_queue.h"
#include "settings/settings_window_controller.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace quorlix::testing {

class SettingsFixture : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    std::unique_ptr<AppDelegate> app;
    std::unique_ptr<SettingsWindowController> controller;

    SettingsFixture() {
        AppleScriptQueue::install(&scripts);
        app = std::make_unique<AppDelegate>(fake.platform());
        controller = std::make_unique<SettingsWindowController>(
            fake.windows, SettingsWindowController::Services{app->settings, app->weather, app->updates,
                                                             app->battery, app->agents, app->browserAI});
    }
    ~SettingsFixture() override {
        controller.reset();
        app.reset();
        AppleScriptQueue::install(nullptr);
    }

    // The settings window (the application may have made others).
    fakes::FakeWindow& window() { return static_cast<fakes::FakeWindow&>(*controller->window()); }
    // Opens the window on `section` and lets it render.
    fakes::FakeWindow& open(SettingsSection section = SettingsSection::general) {
        controller->show(section);
        fake.time.runPending();
        window().host().render();
        return window();
    }
    // Opens the window on `section` and lets the change of pane play out: the pane coming in
    // takes no clicks while it is still transparent, and a click where the last one landed
    // would count as its second.
    fakes::FakeWindow& show(SettingsSection section) {
        open(section);
        fake.time.advance(0.5);
        window().host().render();
        return window();
    }
    const ui::DisplayItem& shown() { return window().shown(); }
    bool has(const std::string& id) { return shown().findId(id) != nullptr; }
    Rect frame(const std::string& id) {
        const ui::DisplayItem* item = shown().findId(id);
        EXPECT_NE(item, nullptr) << "no view " << id;
        return item ? shown().drawnFrame(item) : Rect{};
    }
    // The centre of a view, where a click lands on it.
    Point centre(const std::string& id) {
        const Rect r = frame(id);
        return {r.midX(), r.midY()};
    }
    // Scrolls the pane area until the view is well inside the window.
    void reveal(const std::string& id) {
        for (int i = 0; i < 40; ++i) {
            const Rect r = frame(id);
            if (r.minY() >= 60 && r.maxY() <= 660) return;
            window().host().events().scrolled({400, 360}, 0, r.minY() < 60 ? 40 : -40);
            fake.time.runPending();
            window().host().render();
        }
    }
    void click(const std::string& id) {
        window().click(centre(id));
        settle();
    }
    // Runs what is due and renders.
    void settle() {
        fake.time.runPending();
        window().host().render();
    }
    // The opacity a view is drawn with: its own and its ancestors'.
    double opacity(const std::string& id) {
        double o = 1;
        for (const ui::DisplayItem* step : shown().pathTo(shown().findId(id))) o *= step->opacity;
        return o;
    }
    // Where a press lands at `share` (0...1) of the slider inside the view `id`, a slider
    // as wide as a card's rows.
    Point sliderPoint(const std::string& id, double share) {
        const ui::DisplayItem* block = shown().findId(id);
        EXPECT_NE(block, nullptr) << "no view " << id;
        const ui::DisplayItem* fill = block ? block->find([](const ui::DisplayItem& i) {
            return i.explicitId == ui::detail::idHash(std::string_view("slider-fill"));
        })
                                            : nullptr;
        EXPECT_NE(fill, nullptr) << "no slider in " << id;
        if (!fill) return {};
        const Rect track = shown().drawnFrame(fill);
        return {track.minX() + 11 + (cardRowWidth - 22) * share, track.midY()};
    }
    void pressSlider(const std::string& id, double share) {
        reveal(id);
        const Point p = sliderPoint(id, share);
        window().host().events().pointerPressed(p);
        window().host().events().pointerReleased(p);
        settle();
    }
    // The settings file as it is on disk.
    nlohmann::json stored() {
        platform::UserDefaults::standard().flush();
        std::ifstream in(platform::UserDefaults::standard().file());
        return nlohmann::json::parse(in, nullptr, false);
    }
    // The text field inside the view `id`.
    const ui::EmbeddedView* field(const std::string& id) {
        const ui::DisplayItem* item = shown().findId(id);
        const ui::DisplayItem* native =
            item ? item->find([](const ui::DisplayItem& i) { return i.embedded != nullptr; }) : nullptr;
        return native ? native->embedded.get() : nullptr;
    }

    // A pane's content is 366 points wide; a card leaves its rows 15 points in from each side.
    static constexpr double cardRowWidth = 366 - 2 * 15;
    // Types into the search field, as the native field does.
    void search(const std::string& text) {
        const ui::DisplayItem* field =
            shown().find([](const ui::DisplayItem& i) { return i.embedded != nullptr; });
        ASSERT_NE(field, nullptr);
        field->embedded->setText(text);
        fake.time.runPending();
        window().host().render();
    }
};

}  // namespace quorlix::testing
