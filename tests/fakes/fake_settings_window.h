#pragma once
// Fakes of the settings window's platform: windows that render their views on virtual time
// with fixed font metrics (tests read the display list and send pointer events and Return;
// a window that fits its content takes its height when the content is set), a desktop
// picture and an account picture the test sets.

#include "fakes/fixed_font_engine.h"
#include "platform/account_picture.h"
#include "platform/desktop_picture.h"
#include "platform/window.h"
#include "ui/view_host.h"

#include <map>
#include <memory>
#include <vector>

namespace quorlix::fakes {

class FakeWindow final : public platform::Window {
public:
    // Listed in `registry` for its life.
    FakeWindow(const platform::WindowOptions& options, std::vector<FakeWindow*>& registry);
    ~FakeWindow() override;

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override;
    void makeKeyAndOrderFront() override;
    bool isVisible() const override { return visible; }
    bool isMiniaturized() const override { return miniaturized; }
    void deminiaturize() override { miniaturized = false; }
    void close() override;
    void clearFocus() override { ++focusClears; }
    Subscription onClose(std::function<void()> handler) override {
        return closed_.connect(std::move(handler));
    }

    // What the user does.
    void miniaturize() { miniaturized = true; }
    // Clicks at a point of the window (press and release), then lets the views render.
    void click(Point at);
    // Presses Return, then lets the views render; false when no button took it.
    bool pressReturn();

    // The views as last rendered.
    ui::ViewHost& host() { return *host_; }
    const ui::DisplayItem& shown() const { return host_->displayList(); }

    platform::WindowOptions options;
    bool visible = false;
    bool miniaturized = false;
    int ordersFront = 0;
    int focusClears = 0;
    int contentsSet = 0;

private:
    FixedFontEngine fonts_;
    std::unique_ptr<ui::ViewHost> host_;
    Signal<> closed_;
    std::vector<FakeWindow*>& registry_;
};

class FakeWindows final : public platform::Windows {
public:
    std::unique_ptr<platform::Window> makeWindow(const platform::WindowOptions& options) override;
    // The windows made and not destroyed yet, in order.
    std::vector<FakeWindow*> live;
    int madeCount = 0;
};

class FakeDesktopPicture final : public platform::DesktopPicture {
public:
    std::optional<std::filesystem::path> path;
    int reads = 0;
    std::optional<std::filesystem::path> picturePath() override {
        ++reads;
        return path;
    }
};

// Answers at once from `files`.
class FakeAccountPicture final : public platform::AccountPicture {
public:
    std::map<unsigned, std::filesystem::path> files;
    void pictureFile(unsigned uid, std::function<void(std::optional<std::filesystem::path>)> done) override {
        const auto found = files.find(uid);
        done(found == files.end() ? std::nullopt : std::optional(found->second));
    }
};

}  // namespace quorlix::fakes
