#pragma once
// Island views hosted on virtual time with fixed font metrics (a letter is half the font size
// wide), the media and audio services on the fake platform as environment objects, and a
// small model whose changes re-render the view.

#include "fakes/fake_platform.h"
#include "fakes/fixed_font_engine.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"
#include "services/volume_service.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quorlix::testing {

struct Inputs : ObservableObject {
    Published<double> value{this, 0};
    Published<bool> flag{this, false};
    Published<std::string> text{this, ""};
};

class IslandViewTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    fakes::FixedFontEngine fonts;
    NowPlayingService nowPlaying{fake.platform(), scripts};
    VolumeService volume{&fake.audio};
    Inputs inputs;
    std::unique_ptr<ui::ViewHost> host;
    int frames = 0;  // drawn since `show`

    // Hosts what `make()` builds at each render, pinned to the canvas's top-leading corner,
    // and draws its first frames (those of what the views change as they appear included).
    void show(std::function<ui::View()> make, Size size = {300, 100}) {
        struct Root {
            std::function<ui::View()> make;
            ui::View body(ui::Context&) const { return make(); }
        };
        host = std::make_unique<ui::ViewHost>(fonts,
                                              ui::View(Root{std::move(make)})
                                                  .frame({.maxWidth = ui::infinity,
                                                          .maxHeight = ui::infinity,
                                                          .alignment = ui::Alignment::topLeading})
                                                  .environmentObject(nowPlaying)
                                                  .environmentObject(volume),
                                              size);
        host->observe(inputs);
        host->onFrame = [this] { ++frames; };
        host->render();
        fake.time.runPending();
    }
    void advance(double seconds) {
        fake.time.runPending();
        fake.time.advance(seconds);
    }
    // The list as shown at this moment.
    const ui::DisplayItem& shown() { return host->graph().present(fake.time.now()); }
    const ui::DisplayItem* find(const std::function<bool(const ui::DisplayItem&)>& match) {
        return shown().find(match);
    }
    // The opacity an item is drawn with, through its ancestors.
    double opacity(const char* id) {
        const ui::DisplayItem& root = shown();
        double o = 1;
        for (const auto* step : root.pathTo(root.findId(id))) o *= step->opacity;
        return o;
    }
    // A Music track `duration` seconds long playing at 10 s; the scripts run so far forgotten.
    void playMusic(double duration = 200) {
        fake.workspace.running = {"com.apple.Music"};
        fake.scriptHost.replies[PlayerScripts::snapshot(PlayerSource::music)] = platform::ScriptValue::text(
            "playing|~|Uno|~|Artista|~|Disco|~|" + std::to_string(duration) + "|~|10|~|M1");
        nowPlaying.start();
        fake.time.runPending();
        fake.scriptHost.clearExecuted();
    }
};

}  // namespace quorlix::testing
