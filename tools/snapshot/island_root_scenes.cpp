// Scenes of the whole island as its panel draws it, over a notch and floating, at rest, with
// a HUD and expanded.

#include "snapshot/island_world.h"
#include "snapshot/scene.h"
#include "ui/views.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Scene floatingIdle{
    "island-floating-idle", {920, 120}, [] { return islandScene(externalScreen(), [](auto&) {}); }};
const Scene floatingHUD{"island-floating-volume", {920, 120}, [] {
                            return islandScene(externalScreen(), [](IslandWorld& w) {
                                w.hud.current = HUDContent::volume(0.62f, false);
                            });
                        }};
const Scene notchHUD{"island-notch-volume", {920, 120}, [] {
                         return islandScene(notchedScreen(), [](IslandWorld& w) {
                             w.hud.current = HUDContent::volume(0.62f, false);
                         });
                     }};
const Scene expanded{"island-floating-expanded", {920, 340}, [] {
                         return islandScene(externalScreen(),
                                            [](IslandWorld& w) { w.state.expanded = true; });
                     }};

}  // namespace

}  // namespace quorlix::snapshot
