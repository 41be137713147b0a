#pragma once
// Fakes of the island's windows, the pointer, the status bar and the desktop: tests read what
// the system asked of them and drive the events it listens to.

#include "platform/haptics.h"
#include "platform/panel_window.h"
#include "platform/pointer_monitor.h"
#include "platform/status_bar.h"
#include "platform/window_server.h"
#include "platform/work_item.h"
#include "ui/environment.h"
#include "ui/view.h"
#include "ui/view_host.h"
#include "ui/window_extent.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix::fakes {

class FakePanelWindow final : public platform::PanelWindow {
public:
    // Listed in `registry` for its life; with `fonts`, it renders its views as a window does and
    // keeps its window's extent.
    FakePanelWindow(const Rect& frame, std::vector<FakePanelWindow*>& registry,
                    ui::FontEngine* fonts = nullptr);
    ~FakePanelWindow() override;

    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void orderFront() override { visible = !closed; }
    void orderOut() override { visible = false; }
    void close() override {
        closed = true;
        visible = false;
    }
    bool isVisible() const override { return visible; }
    void setInputAreas(const std::vector<Rect>& areas) override;
    void setWindowLimit(const Rect& limit) override;
    void setExcludedFromCapture(bool excluded) override { excludedFromCapture = excluded; }
    void animateAlpha(double value) override { alphaValue = value; }
    // Takes the new alpha at once; the completion runs once `duration` has passed on the
    // main queue.
    void fade(double alpha, double duration, std::function<void()> completion) override;
    double alpha() const override { return alphaValue; }
    void setBelowScreenLockers(bool below) override { belowScreenLockers = below; }
    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override;
    std::optional<Rect> openMenuFrame() const override { return openMenu; }
    void closeMenus() override { openMenu.reset(); }

    // Rendering panels only: the host, and the part of the panel its window covers (panel space).
    ui::ViewHost* host() { return host_.get(); }
    Rect windowExtent() const { return extent_ ? extent_->rect() : Rect(); }
    // How many times the window has changed its place or size since it was first placed.
    int windowChanges = 0;

    bool visible = false;
    bool closed = false;
    bool excludedFromCapture = false;
    double alphaValue = 1;
    struct Fade {
        double alpha;
        double duration;
        bool hasCompletion;
        friend bool operator==(const Fade&, const Fade&) = default;
    };
    std::vector<Fade> fades;
    std::optional<bool> belowScreenLockers;
    std::vector<Rect> inputAreas;
    std::optional<Rect> windowLimit;
    // A menu the views opened, where it stands; closing it forgets it.
    std::optional<Rect> openMenu;
    std::optional<ui::View> content;
    ui::EnvironmentValues environment;

private:
    Rect frame_;
    std::vector<FakePanelWindow*>& registry_;
    platform::WorkItem fadeDone_;
    ui::FontEngine* fonts_;
    std::unique_ptr<ui::WindowExtent> extent_;
    std::unique_ptr<ui::ViewHost> host_;
};

class FakePanelWindows final : public platform::PanelWindows {
public:
    std::unique_ptr<platform::PanelWindow> makePanel(const Rect& frame) override;
    // Panels made while set render their views with these fonts.
    ui::FontEngine* renderWith = nullptr;
    // The panels made and not destroyed yet, in order.
    std::vector<FakePanelWindow*> live;
    int madeCount = 0;
};

class FakePointerMonitor final : public platform::PointerMonitor {
public:
    std::optional<Subscription> monitor(std::function<void(const platform::PointerEvent&)> handler) override;
    Point mouseLocation() const override { return location; }
    std::int64_t dragChangeCount() const override { return changeCount; }
    bool followsPointerEverywhere() const override { return everywhere; }
    bool tellsEveryMove() const override { return everywhere && everyMove; }
    Subscription followMoves() override;

    // Moves the pointer and reports the event to every monitor.
    void send(platform::PointerEventType type, Point at);
    void scroll(const platform::ScrollDetail& detail, Point at);

    Point location;
    std::int64_t changeCount = 0;
    // False: the pointer is seen only over the application's windows (a Wayland session).
    bool everywhere = true;
    // False: moves are told unasked only over the application's windows (X11).
    bool everyMove = true;
    // How many follow every move now.
    int followers() const { return *followers_; }
    // How many monitors are installed now.
    std::size_t monitorCount() const { return events_.subscriberCount(); }

private:
    Signal<platform::PointerEvent> events_;
    std::shared_ptr<int> followers_ = std::make_shared<int>(0);
};

class FakeStatusItem;

class FakeStatusBar final : public platform::StatusBar {
public:
    std::unique_ptr<platform::StatusItem> makeItem(
        const platform::Image& icon, const std::string& description,
        std::function<std::vector<platform::MenuItem>()> menu) override;
    void setMainMenu(const std::vector<platform::Menu>& menus) override { mainMenu = menus; }
    void performStandardAction(platform::StandardAction action) override { performed.push_back(action); }

    // The item shown now, if any.
    bool hasItem() const { return item_ != nullptr; }
    int itemsMade = 0;
    platform::Image icon;
    std::string description;
    // Opens the item's menu: the items as built for this opening.
    std::vector<platform::MenuItem> open() const;
    // Chooses the item titled `title` in a fresh opening (in a submenu when `parent` is
    // given); false when there is none.
    bool choose(const std::string& title, const std::string& parent = {}) const;
    std::vector<platform::Menu> mainMenu;
    // The standard actions carried out, in order.
    std::vector<platform::StandardAction> performed;

private:
    friend class FakeStatusItem;
    FakeStatusItem* item_ = nullptr;
};

class FakeWindowServer final : public platform::WindowServer {
public:
    Subscription onScreenParametersChanged(std::function<void()> handler) override {
        return screensChanged.connect(std::move(handler));
    }
    Subscription onActiveSpaceChanged(std::function<void()> handler) override {
        return spaceChanged.connect(std::move(handler));
    }
    Subscription onApplicationActivated(std::function<void()> handler) override {
        return applicationActivated.connect(std::move(handler));
    }
    Subscription onFrontWindowChanged(std::function<void()> handler) override {
        return frontWindowChanged.connect(std::move(handler));
    }
    std::optional<platform::RunningApplication> frontmostApplication() const override { return frontmost; }
    platform::RunningApplication currentApplication() const override { return self; }
    std::optional<std::vector<platform::OnScreenWindow>> onScreenWindows() const override { return windows; }

    Signal<> screensChanged;
    Signal<> spaceChanged;
    Signal<> applicationActivated;
    Signal<> frontWindowChanged;
    std::optional<platform::RunningApplication> frontmost;
    platform::RunningApplication self{std::string("com.halvik.quorlix"), 4242};
    std::optional<std::vector<platform::OnScreenWindow>> windows = std::vector<platform::OnScreenWindow>{};
};

class FakeHaptics final : public platform::Haptics {
public:
    void perform(platform::HapticPattern pattern) override { performed.push_back(pattern); }
    std::vector<platform::HapticPattern> performed;
};

}  // namespace quorlix::fakes
