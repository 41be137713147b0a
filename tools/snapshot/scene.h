#pragma once
// Scenes for quorlix-snapshot: a name, a canvas size in points and the view to draw. A file in
// tools/snapshot/ adds its scenes with static registrations:
//
//     static const snapshot::Scene volume{"volume-hud", {360, 80}, [] { return ui::View(...); }};
//
// Scenes are listed and written in name order.

#include "ui/color.h"
#include "ui/environment.h"
#include "ui/view.h"

#include <functional>
#include <string>
#include <vector>

namespace quorlix::snapshot {

struct Scene {
    std::string name;
    Size size;
    std::function<ui::View()> view;
    // Behind the view; the island is black, so a neutral wallpaper tone by default.
    ui::Color background = ui::Color::sRGB(0.36, 0.39, 0.45);
    std::function<ui::EnvironmentValues()> environment = [] { return ui::EnvironmentValues{}; };

    Scene(std::string name, Size size, std::function<ui::View()> view);
    Scene(std::string name, Size size, std::function<ui::View()> view, ui::Color background);
};

// Every registered scene, sorted by name.
std::vector<const Scene*> scenes();

}  // namespace quorlix::snapshot
