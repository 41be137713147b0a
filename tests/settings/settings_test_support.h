#pragma once
// The settings window on the fake platform: an application delegate (its services are what
// the panes read), the window's controller on a fake window rendered on virtual time, and
// queries of what the window shows.

#include "app/app_actions.h"
#include "app/app_delegate.h"
#include "fakes/fake_platform.h"
#include "services/apple_script_queue.h"
#include "settings/settings_window_controller.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

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

    fakes::FakeWindow& window() { return *fake.windows.live.at(0); }
    // Opens the window on `section` and lets it render.
    fakes::FakeWindow& open(SettingsSection section = SettingsSection::general) {
        controller->show(section);
        fake.time.runPending();
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
        fake.time.runPending();
        window().host().render();
    }
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
