// The expanded island and its music page: the island on every tab, narrow and wide; the music
// page in each of its states; the lyrics pane in each lyrics state; the controls row's
// variants; the open output menu; and the animations of a page turn and a new lyric line.

#include "foundation/app_settings.h"
#include "island/controls_row.h"
#include "island/island_environment.h"
#include "island/lyrics_view.h"
#include "snapshot/island_world.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <string>
#include <utility>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

constexpr Size panel = expandedPanel;
constexpr double wide = 600;

std::string name(IslandTab tab) { return std::string(rawValue(tab)); }

// One scene per tab and width.
std::vector<std::unique_ptr<Scene>> tabScenes() {
    std::vector<std::unique_ptr<Scene>> out;
    for (const IslandTab tab : allCases<IslandTab>()) {
        out.push_back(std::make_unique<Scene>("expanded-compact-" + name(tab), panel,
                                              [tab] { return expandedIsland(343, tab); }));
        out.push_back(std::make_unique<Scene>("expanded-wide-" + name(tab), panel,
                                              [tab] { return expandedIsland(wide, tab); }));
    }
    return out;
}
const auto everyTab = tabScenes();

const Scene disabled{"music-disabled", panel, [] {
                         return expandedIsland(343, IslandTab::music, [](IslandWorld&) {
                             AppSettings::shared().mediaEnabled = false;
                         });
                     }};
const Scene nothingPlaying{
    "music-nothing-playing", panel,
    [] { return expandedIsland(wide, IslandTab::music, [](IslandWorld& w) { w.stop(); }); }};
const Scene compact{"music-compact", panel, [] { return expandedIsland(343, IslandTab::music); }};
const Scene compactPaused{"music-compact-paused", panel, [] {
                              return expandedIsland(343, IslandTab::music, [](IslandWorld& w) {
                                  w.play(IslandWorld::sampleTrack(), 83, false);
                              });
                          }};
const Scene wideLyrics{"music-wide-lyrics", panel, [] { return expandedIsland(wide, IslandTab::music); }};
const Scene wideWithoutLyrics{"music-wide-no-lyrics", panel, [] {
                                  return expandedIsland(wide, IslandTab::music, [](IslandWorld&) {
                                      AppSettings::shared().lyricsEnabled = false;
                                  });
                              }};
const Scene wideTall{"music-wide-tall", {680, 270}, [] {
                         return expandedIsland(wide, IslandTab::music, [](IslandWorld&) {
                             AppSettings::shared().islandHeight = 170;
                         });
                     }};
const Scene openMenu{"music-output-menu", {680, 300}, [] {
                         return expandedIsland(wide, IslandTab::music,
                                               [](IslandWorld& w) { w.state.outputMenuOpen = true; });
                     }};

// The lyrics pane alone, in one lyrics state.
View lyrics(LyricsService::Status status) {
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    world.play(IslandWorld::sampleTrack(), 83);
    world.lyrics.status = status;
    if (status == LyricsService::Status::found) world.lyrics.lines = IslandWorld::sampleLyrics();
    return world.withObjects(LyricsView{}.frame({.width = 320, .height = 100}))
        .padding(16)
        .background(RoundedRectangle(18, RoundedCornerStyle::continuous).fill(Color::black));
}

std::vector<std::unique_ptr<Scene>> lyricsScenes() {
    using Status = LyricsService::Status;
    std::vector<std::unique_ptr<Scene>> out;
    for (const auto& [status, title] :
         std::vector<std::pair<Status, const char*>>{{Status::idle, "idle"},
                                                     {Status::loading, "loading"},
                                                     {Status::found, "found"},
                                                     {Status::instrumental, "instrumental"},
                                                     {Status::unsynced, "unsynced"},
                                                     {Status::notFound, "not-found"}})
        out.push_back(std::make_unique<Scene>(std::string("lyrics-") + title, Size{380, 160},
                                              [s = status] { return lyrics(s); }));
    return out;
}
const auto everyLyricsStatus = lyricsScenes();

// The controls row with one left-button choice: the wide page's row (at full size, and with
// its output menu open) and the compact player's larger one; "-short" at 80 %.
View controls(LeftButtonAction left, double bodyHeight) {
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    world.play(IslandWorld::sampleTrack(), 83);
    world.nowPlaying.favorited = true;
    AppSettings::shared().leftButton = left;
    AppSettings::shared().islandWidth = wide;
    AppSettings::shared().islandHeight = bodyHeight;
    const auto row = [](bool canopy, bool menuOpen) {
        return ControlsRow{.onOutput = [] {}, .canopy = canopy}
            .environment(outputMenuOpen, menuOpen)
            .frame({.width = canopy ? 240.0 : 200.0});
    };
    return world
        .withObjects(VStack({.alignment = HorizontalAlignment::leading, .spacing = 12},
                            {row(false, false), row(false, true), row(true, false)}))
        .padding(16)
        .background(RoundedRectangle(18, RoundedCornerStyle::continuous).fill(Color::black));
}

std::vector<std::unique_ptr<Scene>> controlsScenes() {
    std::vector<std::unique_ptr<Scene>> out;
    for (const auto left : allCases<LeftButtonAction>())
        out.push_back(std::make_unique<Scene>("controls-row-" + std::string(rawValue(left)), Size{290, 160},
                                              [left] { return controls(left, 150); }));
    out.push_back(std::make_unique<Scene>("controls-row-short", Size{290, 160},
                                          [] { return controls(LeftButtonAction::shuffle, 140); }));
    return out;
}
const auto everyControlsRow = controlsScenes();

// The narrow island turns from the music page to the weather page: the new page slides in from
// the right as the old one fades.
const AnimationScene pageTurn{
    "page-turn", panel, 0.6,
    [](bool changed) { return expandedIsland(343, changed ? IslandTab::weather : IslandTab::music); }, true};

// The playback reaches the next lyric line: the new block rises in as the old one fades.
const AnimationScene lyricLineChange{
    "lyric-line-change",
    {380, 160},
    0.5,
    [](bool changed) {
        IslandWorld& world = IslandWorld::shared();
        world.reset();
        world.play(IslandWorld::sampleTrack(), changed ? 81 : 79);
        world.lyrics.status = LyricsService::Status::found;
        world.lyrics.lines = IslandWorld::sampleLyrics();
        return world.withObjects(LyricsView{}.frame({.width = 320, .height = 100}))
            .padding(16)
            .background(RoundedRectangle(18, RoundedCornerStyle::continuous).fill(Color::black));
    },
    true};

}  // namespace

}  // namespace quorlix::snapshot
