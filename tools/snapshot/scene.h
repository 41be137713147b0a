#pragma once
// Scenes for quorlix-snapshot: a name, a canvas size in points and the view to draw. A file in
// tools/snapshot/ adds its scenes with static registrations:
//
//     static const snapshot::Scene volume{"volume-hud", {360, 80}, [] { return ui::View(...); }};
//
// Scenes are listed and written in name order.

#include "platform/accessibility_trust.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/environment.h"
#include "ui/view.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::snapshot {

struct Scene {
    std::string name;
    Size size;
    std::function<ui::View()> view;
    // Seconds of the scene's own time that pass before it is drawn: the views' delayed work
    // (their tasks' waits) runs as it falls due, each change rendered at its moment. At 0
    // nothing deferred ever runs.
    double time = 0;
    // Behind the view; the island is black, so a neutral wallpaper tone by default.
    ui::Color background = ui::Color::sRGB(0.36, 0.39, 0.45);
    std::function<ui::EnvironmentValues()> environment = [] { return ui::EnvironmentValues{}; };
    // Where the pointer rests, for views that show their hover; carrying files, it is a file
    // drag hovering there, for drop targets that show it.
    struct Pointer {
        Point at;
        bool carriesFiles = false;
    };
    std::optional<Pointer> pointer;

    Scene(std::string name, Size size, std::function<ui::View()> view);
    Scene(std::string name, Size size, std::function<ui::View()> view, ui::Color background);
    Scene(std::string name, Size size, std::function<ui::View()> view, Pointer pointer);
};

// Every registered scene, sorted by name.
std::vector<const Scene*> scenes();

// An animation, written as a sequence of frames. `view(changed)` draws the scene; with
// `changes`, `changed` turns true after the first frame, inside a transaction with
// `transaction` (none: the views' implicit animations and transitions alone). Without
// `changes` the scene animates by itself (entrances when its views appear, and the views'
// delayed work, which runs on the animation's clock).
struct AnimationScene {
    std::string name;
    Size size;
    double duration = 1;
    std::function<ui::View(bool changed)> view;
    bool changes = true;
    std::optional<ui::Animation> transaction;
    ui::Color background = ui::Color::sRGB(0.36, 0.39, 0.45);

    AnimationScene(std::string name, Size size, double duration, std::function<ui::View(bool)> view,
                   bool changes, std::optional<ui::Animation> transaction = std::nullopt);
};

std::vector<const AnimationScene*> animationScenes();

// Puts the application icon the build draws in place, once, for the views that show it.
void showBuildIcon();

// Every setting back to its default: scenes change settings, and a scene must look the same
// whichever scenes ran before it.
void resetSettings();

// Whether the process may take global keys, as a scene says.
class SceneTrust final : public platform::AccessibilityTrust {
public:
    bool trusted = false;
    // False: nothing can grant it (a Wayland session).
    bool grantable = true;
    bool isProcessTrusted() const override { return trusted; }
    bool requestTrust() override { return trusted; }
    bool canBeGranted() const override { return grantable; }
};

// For the tool's run: the home and XDG folders in a temporary folder, removed at the end.
class ThrowawayHome {
public:
    ThrowawayHome();
    ~ThrowawayHome();
    ThrowawayHome(const ThrowawayHome&) = delete;
    ThrowawayHome& operator=(const ThrowawayHome&) = delete;

private:
    std::filesystem::path root_;
};

}  // namespace quorlix::snapshot
