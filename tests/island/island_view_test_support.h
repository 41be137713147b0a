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
#include "ui/view_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorlix::testing {

struct Inputs : ObservableObject {
    Published<double> value{this, 0};
    Published<bool> flag{this, false};
    Published<std::string> text{this, ""};
};

// How an item is drawn, through its ancestors' effects.
struct Look {
    double opacity = 1;
    double blur = 0;
    Rect drawn;  // the frame through every transform
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
    // Frames drawn since `show`.
    int frames = 0;

    // Hosts the view `make()` builds at every render, pinned to the top-leading corner of a
    // canvas of `size`, and draws its first frames: the first, and those of what the views
    // change as they appear, at the same moment.
    void show(std::function<ui::View()> make, Size size = {300, 100}) {
        struct Root {
            std::function<ui::View()> make;
            ui::View body(ui::Context&) const { return make(); }
        };
        const ui::View root = ui::View(Root{std::move(make)})
                                  .frame({.maxWidth = ui::infinity,
                                          .maxHeight = ui::infinity,
                                          .alignment = ui::Alignment::topLeading})
                                  .environmentObject(nowPlaying)
                                  .environmentObject(volume);
        host = std::make_unique<ui::ViewHost>(fonts, root, size);
        host->observe(inputs);
        host->onFrame = [this] { ++frames; };
        host->render();
        fake.time.runPending();
    }

    // Runs what is due now, then `seconds` of frames.
    void advance(double seconds) {
        fake.time.runPending();
        fake.time.advance(seconds);
    }

    // The list as shown at this moment.
    const ui::DisplayItem& shown() { return host->graph().present(fake.time.now()); }

    const ui::DisplayItem* find(const std::function<bool(const ui::DisplayItem&)>& match) {
        return shown().find(match);
    }
    template <class T>
    const ui::DisplayItem* byId(const T& id) {
        return shown().findId(id);
    }

    Look look(const ui::DisplayItem* item) {
        Look out;
        if (!item) return out;
        const ui::DisplayItem& root = host->graph().shown();
        for (const auto* step : root.pathTo(item)) {
            out.opacity *= step->opacity;
            out.blur += step->blurRadius;
        }
        out.drawn = root.drawnFrame(item);
        return out;
    }

    // A Music track `duration` seconds long playing at 10 s.
    void playMusic(double duration = 200) {
        fake.workspace.running = {"com.apple.Music"};
        fake.scriptHost.replies[PlayerScripts::snapshot(PlayerSource::music)] = platform::ScriptValue::text(
            "playing|~|Uno|~|Artista|~|Disco|~|" + std::to_string(duration) + "|~|10|~|M1");
        nowPlaying.start();
        fake.time.runPending();
        fake.scriptHost.clearExecuted();
    }
    // The seeks sent to the player, as scripts.
    std::vector<std::string> seeks() const {
        std::vector<std::string> out;
        for (const auto& s : fake.scriptHost.executed())
            if (s.find("set player position") != std::string::npos) out.push_back(s);
        return out;
    }
};

}  // namespace quorlix::testing
