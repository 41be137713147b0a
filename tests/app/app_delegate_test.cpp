#include "app/app_delegate.h"

#include "fakes/fake_platform.h"
#include "foundation/app_actions.h"
#include "foundation/quorlix_config.h"
#include "platform/user_defaults.h"
#include "services/apple_script_queue.h"
#include "services/media_key_interceptor.h"
#include "services/player_scripts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {
namespace {

using fakes::FakeScreens;
using platform::PointerEventType;

class FakeAppWindows final : public AppWindows {
public:
    struct Log {
        bool offer = false;
        std::vector<SettingsSection> settings;
        std::vector<bool> onboarding;  // startAtPermission of each showing
        std::function<void()> atOffer;  // run when the move is offered
    };
    explicit FakeAppWindows(Log& log) : log_(log) {}

    bool offerMoveIfNeeded() override {
        if (log_.atOffer) log_.atOffer();
        return log_.offer;
    }
    void showSettings(SettingsSection section) override { log_.settings.push_back(section); }
    void showOnboarding(bool startAtPermission) override { log_.onboarding.push_back(startAtPermission); }

private:
    Log& log_;
};

class AppDelegateTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    FakeAppWindows::Log windows;
    std::unique_ptr<AppDelegate> app;

    AppDelegateTest() {
        AppleScriptQueue::install(&scripts);
        fake.screens.list = {FakeScreens::externalDisplay(0)};
    }
    ~AppDelegateTest() override {
        app.reset();
        AppleScriptQueue::install(nullptr);
    }

    platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }
    AppSettings& settings() { return AppSettings::shared(); }

    AppDelegate& launch() {
        app = std::make_unique<AppDelegate>(fake.platform(), std::make_unique<FakeAppWindows>(windows));
        app->applicationDidFinishLaunching();
        return *app;
    }
    // A second run of the same build, after onboarding was completed.
    void completeOnboardingOfThisBuild() {
        defaults().setBool("didShowWelcome", true);
        defaults().setString("accessibilityAskedFor", AppDelegate::buildSignature());
    }
    std::vector<std::string> statusTitles() {
        std::vector<std::string> titles;
        for (const auto& item : fake.statusBar.open()) titles.push_back(item.separator ? "-" : item.title);
        return titles;
    }
};

TEST_F(AppDelegateTest, AFirstRunShowsOnboardingFromItsStartAndStoresTheBuildAsked) {
    launch();
    EXPECT_EQ(windows.onboarding, std::vector{false});
    EXPECT_TRUE(app->askAccessibility);
    EXPECT_EQ(defaults().stringForKey("accessibilityAskedFor"), AppDelegate::buildSignature());
    // The lock screen follows the lock from launch on, without a preview.
    ASSERT_NE(app->lockScreen, nullptr);
    EXPECT_FALSE(app->lockScreen->isPreviewing());
    EXPECT_EQ(fake.screenLock.observerCount(), 1u);
    EXPECT_EQ(fake.statusBar.mainMenu.size(), 3u);
}

TEST_F(AppDelegateTest, EachBuildAsksForAccessibilityAtMostOnce) {
    // Same build, still not trusted: no onboarding again.
    completeOnboardingOfThisBuild();
    launch();
    EXPECT_FALSE(app->askAccessibility);
    EXPECT_TRUE(windows.onboarding.empty());
    // The media keys drive this volume, and launching never prompts for the permission.
    EXPECT_EQ(MediaKeyInterceptor::shared().volume(), &app->volume);
    EXPECT_EQ(fake.accessibilityTrust.prompts, 0);

    // A new build without the grant starts onboarding at the permission step.
    app.reset();
    defaults().setString("accessibilityAskedFor", "41-1700000000");
    launch();
    EXPECT_TRUE(app->askAccessibility);
    EXPECT_EQ(windows.onboarding, std::vector{true});

    // A trusted new build asks nothing and remembers that it was trusted.
    app.reset();
    windows.onboarding.clear();
    defaults().setString("accessibilityAskedFor", "41-1700000000");
    fake.accessibilityTrust.trusted = true;
    launch();
    EXPECT_FALSE(app->askAccessibility);
    EXPECT_TRUE(windows.onboarding.empty());
    EXPECT_EQ(defaults().stringForKey("accessibilityTrustedBuild"), UpdateService::currentBuild());
}

TEST_F(AppDelegateTest, ATrustThatCanNeverBeGrantedReopensNoOnboardingAndIsNeverAskedFor) {
    // A returning user of an earlier build, in a Wayland session.
    fake.accessibilityTrust.grantable = false;
    defaults().setBool("didShowWelcome", true);
    defaults().setString("accessibilityAskedFor", "41-1700000000");
    launch();
    EXPECT_FALSE(app->askAccessibility);
    EXPECT_TRUE(windows.onboarding.empty());
    // Switching the media keys on asks nothing either.
    settings().replaceSystemHUD = false;
    fake.time.runPending();
    settings().replaceSystemHUD = true;
    fake.time.advance(5);
    EXPECT_EQ(fake.accessibilityTrust.prompts, 0);

    // A new user still meets onboarding, from its start.
    app.reset();
    defaults().removeObject("didShowWelcome");
    launch();
    EXPECT_EQ(windows.onboarding, std::vector{false});
}

TEST_F(AppDelegateTest, TheFirstDeveloperPreviewKeySetWinsOverTheOthersAndOverOnboarding) {
    defaults().setString("previewTab", "calendar");
    defaults().setString("previewHUD", "volume");
    launch();
    ASSERT_EQ(app->controllers().size(), 1u);
    EXPECT_TRUE(app->controllers()[0]->isPinned());
    EXPECT_EQ(app->controllers()[0]->state().tab.get(), IslandTab::calendar);
    fake.time.advance(2);
    EXPECT_FALSE(app->hud.current.get().has_value());
    EXPECT_TRUE(windows.onboarding.empty());

    // A tab that does not exist is ignored; the HUD preview comes 1.5 s later.
    app.reset();
    defaults().setString("previewTab", "nothing");
    launch();
    fake.time.advance(1.4);
    EXPECT_FALSE(app->hud.current.get().has_value());
    fake.time.advance(0.2);
    EXPECT_EQ(app->hud.current.get(), HUDContent::volume(0.62f, false));
    EXPECT_TRUE(windows.onboarding.empty());

    // A valid tab with no island to show it on still ends the sequence.
    app.reset();
    defaults().setString("previewTab", "music");
    fake.screens.list.clear();
    launch();
    fake.time.advance(2);
    EXPECT_FALSE(app->hud.current.get().has_value());
    EXPECT_TRUE(windows.onboarding.empty());
}

TEST_F(AppDelegateTest, LockScreenOnboardingAndSettingsPreviewsComeInTheirOrder) {
    defaults().setBool("previewLockScreen", true);
    defaults().setString("previewOnboarding", "permission");
    launch();
    EXPECT_TRUE(app->lockScreen->isPreviewing());
    EXPECT_TRUE(windows.onboarding.empty());

    app.reset();
    defaults().removeObject("previewLockScreen");
    defaults().setString("previewSettings", "updates");
    launch();
    EXPECT_FALSE(app->lockScreen->isPreviewing());
    EXPECT_EQ(windows.onboarding, std::vector{true});
    EXPECT_TRUE(windows.settings.empty());

    app.reset();
    windows.onboarding.clear();
    defaults().removeObject("previewOnboarding");
    launch();
    EXPECT_EQ(windows.settings, std::vector{SettingsSection::updates});

    // A section that does not exist falls through to the onboarding decision.
    app.reset();
    windows.settings.clear();
    defaults().setString("previewSettings", "Updates");
    launch();
    EXPECT_TRUE(windows.settings.empty());
    EXPECT_EQ(windows.onboarding, std::vector{false});
}

TEST_F(AppDelegateTest, NoOnboardingInARunThatOfferedTheMove) {
    windows.offer = true;
    launch();
    EXPECT_TRUE(windows.onboarding.empty());
}

TEST_F(AppDelegateTest, TheUpdateCheckAtLaunchFollowsItsSetting) {
    settings().autoCheckUpdates = false;
    launch();
    fake.time.advance(1);
    EXPECT_FALSE(app->updates.lastChecked.get().has_value());

    app.reset();
    settings().autoCheckUpdates = true;
    launch();
    EXPECT_FALSE(app->updates.lastChecked.get().has_value());  // a task, not part of the sequence
    fake.time.runPending();
    const auto& requests = fake.httpClient.requests;
    const auto check = std::find_if(requests.begin(), requests.end(), [](const auto& r) {
        return r.request.url == QuorlixConfig::versionURL();
    });
    ASSERT_NE(check, requests.end());
    fake.httpClient.fail(static_cast<std::size_t>(check - requests.begin()));
    EXPECT_TRUE(app->updates.lastChecked.get().has_value());
}

// The island's panel is on screen before anything else starts: the move offer, the services,
// the status item.
TEST_F(AppDelegateTest, TheIslandShowsBeforeTheRestStarts) {
    std::vector<bool> shown;
    int statusItems = -1;
    windows.atOffer = [&] {
        for (const auto* panel : fake.panelWindows.live) shown.push_back(panel->visible);
        statusItems = fake.statusBar.itemsMade;
    };
    launch();
    EXPECT_EQ(shown, std::vector{true});
    EXPECT_EQ(statusItems, 0);
    EXPECT_EQ(fake.statusBar.itemsMade, 1) << "made later in the launch";
}

TEST_F(AppDelegateTest, IslandsGoOnTheNotchedScreenElseTheFirstOrOnEveryScreen) {
    fake.screens.list = {FakeScreens::externalDisplay(0), FakeScreens::notchedLaptop()};
    launch();
    ASSERT_EQ(app->controllers().size(), 1u);
    EXPECT_TRUE(app->controllers()[0]->geometry().hasNotch);

    settings().showOnAllScreens = true;
    EXPECT_EQ(app->controllers().size(), 1u);  // applied after the assignment, on the queue
    fake.time.runPending();
    ASSERT_EQ(app->controllers().size(), 2u);
    EXPECT_FALSE(app->controllers()[0]->geometry().hasNotch);
    EXPECT_TRUE(app->controllers()[1]->geometry().hasNotch);
    EXPECT_EQ(fake.panelWindows.live.size(), 2u);

    settings().showOnAllScreens = false;
    fake.screens.list = {FakeScreens::externalDisplay(0), FakeScreens::externalDisplay(2560)};
    fake.windowServer.screensChanged.emit();
    ASSERT_EQ(app->controllers().size(), 1u);
    EXPECT_EQ(app->controllers()[0]->geometry().screenFrame.minX(), 0);

    fake.screens.list.clear();
    fake.windowServer.screensChanged.emit();
    EXPECT_TRUE(app->controllers().empty());
    EXPECT_TRUE(fake.panelWindows.live.empty());
}

TEST_F(AppDelegateTest, SettingsActionsRunAfterTheAssignmentAndNeverForTheInitialValue) {
    launch();
    fake.time.runPending();
    const int panels = fake.panelWindows.madeCount;
    const int items = fake.statusBar.itemsMade;

    // Reading the stored value, the action sees the new one.
    settings().hideInScreenshots = true;
    EXPECT_FALSE(fake.panelWindows.live[0]->excludedFromCapture);
    fake.time.runPending();
    EXPECT_TRUE(fake.panelWindows.live[0]->excludedFromCapture);

    // Switching the system HUD's replacement on (again) may ask for the permission.
    settings().replaceSystemHUD = true;
    EXPECT_EQ(fake.accessibilityTrust.prompts, 0);
    fake.time.runPending();
    EXPECT_EQ(fake.accessibilityTrust.prompts, 1);

    settings().menuBarIcon = false;
    fake.time.runPending();
    EXPECT_FALSE(fake.statusBar.hasItem());
    settings().menuBarIcon = true;
    fake.time.runPending();
    EXPECT_EQ(fake.statusBar.itemsMade, items + 1);

    // Each step of a size control previews the size on the first island.
    settings().islandWidth = 400;
    fake.time.runPending();
    EXPECT_TRUE(app->controllers()[0]->state().expanded.get());
    fake.time.advance(1.7);
    EXPECT_FALSE(app->controllers()[0]->state().expanded.get());

    // An equal value is a change too, and reloads what plays.
    fake.workspace.running.insert("com.spotify.client");
    fake.scriptHost.clearExecuted();
    settings().mediaSource = settings().mediaSource.get();
    EXPECT_TRUE(fake.scriptHost.executed().empty());
    fake.time.runPending();
    EXPECT_FALSE(fake.scriptHost.executed().empty());

    // Lyrics switched back on load for the track already playing.
    settings().lyricsEnabled = false;
    fake.time.runPending();
    app->nowPlaying.track =
        Track{"spotify:1", "Malamente", "Rosalía", "El mal querer", 150, PlayerSource::spotify};
    const auto requests = fake.httpClient.requests.size();
    settings().lyricsEnabled = true;
    EXPECT_EQ(fake.httpClient.requests.size(), requests);
    fake.time.runPending();
    EXPECT_EQ(app->lyrics.status.get(), LyricsService::Status::loading);

    EXPECT_EQ(fake.panelWindows.madeCount, panels);  // nothing rebuilt the islands
}

TEST_F(AppDelegateTest, AWorkspaceOrApplicationSwitchChecksFullScreenAfterASettlingDelay) {
    settings().hideInFullscreen = true;
    launch();
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.windows = {{{77, 0, Rect(0, 0, 2560, 1440)}}};
    fake.windowServer.spaceChanged.emit();
    fake.time.advance(0.5);
    EXPECT_FALSE(app->controllers()[0]->isHiddenForFullscreen());
    fake.time.advance(0.1);
    EXPECT_TRUE(app->controllers()[0]->isHiddenForFullscreen());

    fake.windowServer.frontmost.reset();
    fake.windowServer.applicationActivated.emit();
    fake.time.advance(0.6);
    EXPECT_FALSE(app->controllers()[0]->isHiddenForFullscreen());

    // Full screen inside the window in front, and leaving it, are checked the same way.
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.frontWindowChanged.emit();
    fake.time.advance(0.6);
    EXPECT_TRUE(app->controllers()[0]->isHiddenForFullscreen());
    fake.windowServer.windows = {{{77, 0, Rect(0, 0, 1280, 720)}}};
    fake.windowServer.frontWindowChanged.emit();
    fake.time.advance(0.6);
    EXPECT_FALSE(app->controllers()[0]->isHiddenForFullscreen());
}

TEST_F(AppDelegateTest, ThePointerReachesEveryIslandAndAFileDragIsToldApart) {
    settings().showOnAllScreens = true;
    fake.screens.list = {FakeScreens::externalDisplay(0), FakeScreens::externalDisplay(2560)};
    launch();
    const Point island{1280, 1425};

    // Dragging a window across the notch: the drag pasteboard did not change.
    fake.pointerMonitor.send(PointerEventType::leftMouseDown, {100, 100});
    fake.pointerMonitor.send(PointerEventType::leftMouseDragged, island);
    EXPECT_FALSE(app->controllers()[0]->state().expanded.get());

    // A file dragged from another application.
    fake.pointerMonitor.send(PointerEventType::leftMouseUp, {100, 100});
    fake.pointerMonitor.send(PointerEventType::leftMouseDown, {100, 100});
    ++fake.pointerMonitor.changeCount;
    fake.pointerMonitor.send(PointerEventType::leftMouseDragged, island);
    EXPECT_TRUE(app->controllers()[0]->state().expanded.get());
    EXPECT_EQ(app->controllers()[0]->state().tab.get(), IslandTab::tray);
    EXPECT_FALSE(app->controllers()[1]->state().expanded.get());

    // A scroll reaches the island under the pointer on the other screen.
    fake.pointerMonitor.send(PointerEventType::mouseMoved, {2560 + 1280, 1425});
    EXPECT_TRUE(app->controllers()[1]->state().expanded.get());
}

TEST_F(AppDelegateTest, TheStatusMenuFollowsTheStateAtEachOpening) {
    launch();
    EXPECT_EQ(fake.statusBar.description, "Quorlix");
    EXPECT_EQ(statusTitles(), (std::vector<std::string>{"Ocultar la isla", "-", "Fuente: Automático",
                                                        "Bandeja de archivos", "-", "Ajustes…",
                                                        "Buscar actualizaciones…", "-", "Salir de Quorlix"}));
    const auto menu = fake.statusBar.open();
    EXPECT_EQ(menu[5].keyEquivalent, ",");
    EXPECT_EQ(menu[8].standardAction, platform::StandardAction::terminate);
    ASSERT_EQ(menu[2].submenu.size(), 3u);
    EXPECT_TRUE(menu[2].submenu[0].checked);
    EXPECT_FALSE(menu[2].submenu[1].checked);

    ASSERT_TRUE(fake.statusBar.choose("Spotify", "Fuente: Automático"));
    EXPECT_EQ(settings().mediaSource.get(), MediaSourcePreference::spotify);
    app->updates.state = UpdateService::Available{"2.1"};
    EXPECT_EQ(statusTitles()[2], "Fuente: Spotify");
    EXPECT_EQ(statusTitles()[6], "Actualizar a Quorlix 2.1…");
    ASSERT_TRUE(fake.statusBar.choose("Actualizar a Quorlix 2.1…"));
    EXPECT_EQ(windows.settings, std::vector{SettingsSection::updates});

    // Hiding the island removes every panel; the tray item brings it back open on the tray.
    ASSERT_TRUE(fake.statusBar.choose("Ocultar la isla"));
    EXPECT_TRUE(app->controllers().empty());
    EXPECT_TRUE(fake.panelWindows.live.empty());
    EXPECT_EQ(statusTitles()[0], "Mostrar la isla");
    fake.windowServer.screensChanged.emit();
    EXPECT_TRUE(app->controllers().empty());
    ASSERT_TRUE(fake.statusBar.choose("Bandeja de archivos"));
    ASSERT_EQ(app->controllers().size(), 1u);
    EXPECT_TRUE(app->controllers()[0]->state().expanded.get());
    EXPECT_EQ(app->controllers()[0]->state().tab.get(), IslandTab::tray);

    ASSERT_TRUE(fake.statusBar.choose("Ajustes…"));
    EXPECT_EQ(windows.settings.back(), SettingsSection::general);
}

TEST_F(AppDelegateTest, ReopeningShowsSettingsAndOpenedURLsReachTheAgents) {
    settings().menuBarIcon = false;
    launch();
    EXPECT_FALSE(fake.statusBar.hasItem());
    EXPECT_TRUE(app->applicationShouldHandleReopen());
    EXPECT_EQ(windows.settings, std::vector{SettingsSection::general});

    app->openURLs({"https://example.com", "quorlix://agent?agent=claude&event=working"});
    EXPECT_EQ(app->agents.working.get().count(AgentKind::claude), 1u);

    AppActions::openSettingsSection(SettingsSection::tray);
    EXPECT_EQ(windows.settings.back(), SettingsSection::tray);
    app.reset();
    AppActions::openSettingsSection(SettingsSection::timer);  // does nothing once the app is gone
    EXPECT_EQ(windows.settings.back(), SettingsSection::tray);
}

}  // namespace
}  // namespace quorlix
