// The closed island's HUDs: volume, brightness, battery, device, device detail, output and
// alert, and the shaded glyph they share.

#include "foundation/app_settings.h"
#include "hud_view_test_support.h"
#include "island/alert_hud_view.h"
#include "island/battery_hud_view.h"
#include "island/brightness_hud_view.h"
#include "island/device_art.h"
#include "island/device_detail_view.h"
#include "island/device_hud_view.h"
#include "island/output_hud_view.h"
#include "island/volume_hud_view.h"

#include <algorithm>
#include <numbers>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace hud_views_test {

using namespace ui;
using Kind = AudioDeviceInfo::Kind;
using Tint = IslandAlert::Tint;
using Snapshot = BatteryService::Snapshot;
using Levels = std::array<std::optional<std::int64_t>, 4>;  // left, right, case, main
constexpr std::nullopt_t no = std::nullopt;

AudioDeviceInfo device(Kind kind, Levels l) { return {"AirPods de Ana", kind, {l[0], l[1], l[2], l[3]}}; }
IslandAlert alert(std::string text, Tint tint, std::optional<std::string> detail = {}, bool compact = false) {
    return {"mic.fill", std::move(text), tint, std::move(detail), false, compact};
}

class HUDViewsTest : public testing::HUDViewTest {
protected:
    double fillWidth(Color tint) {
        const auto* f = find([tint](auto& i) {
            return i.kind == DisplayItem::Kind::shape && i.fill && i.fill->color == tint;
        });
        return f ? f->frame.width() : 0;
    }
    double degrees(const char* role) {
        const auto* r = shown().findRole(role);
        return r ? r->effectParameters.at(0) * 180 / std::numbers::pi : 0;
    }
    // The rings' arcs, left to right: colour and share of the circle.
    std::vector<std::pair<Color, double>> arcs() {
        auto found = shown().findAll([](auto& i) { return i.shape && i.stroke.lineCap == LineCap::round; });
        std::sort(found.begin(), found.end(),
                  [this](auto* a, auto* b) { return drawn(*a).minX() < drawn(*b).minX(); });
        std::vector<std::pair<Color, double>> out;
        for (const auto* a : found)
            out.emplace_back(a->strokePaint->color, a->shape->animatableData().back());
        return out;
    }
};

TEST_F(HUDViewsTest, TheVolumeSymbolFollowsTheLevelOnSpeakersAndShowsAnyOtherDevice) {
    const auto out = [](const char* name, std::uint32_t transport) {
        return std::optional(AudioOutput{3, name, transport});
    };
    const auto builtIn = out("MacBook Pro", AudioOutput::builtIn);
    EXPECT_EQ(VolumeHUDView::symbol(0, false, builtIn), "speaker.slash.fill");
    EXPECT_EQ(VolumeHUDView::symbol(0.8f, true, out("AirPods Pro", AudioOutput::bluetooth)),
              "speaker.slash.fill");
    EXPECT_EQ(VolumeHUDView::symbol(0.329f, false, builtIn), "speaker.wave.1.fill");
    EXPECT_EQ(VolumeHUDView::symbol(0.33f, false, builtIn), "speaker.wave.2.fill");
    EXPECT_EQ(VolumeHUDView::symbol(0.659f, false, std::nullopt), "speaker.wave.2.fill");
    EXPECT_EQ(VolumeHUDView::symbol(0.66f, false, out("USB", 0)),
              "speaker.wave.3.fill");  // "hifispeaker.fill"
    EXPECT_EQ(VolumeHUDView::symbol(0.5f, false, out("AirPods Pro de Ana", AudioOutput::bluetooth)),
              "airpodspro");
    EXPECT_EQ(VolumeHUDView::symbol(0.5f, false, out("LG", AudioOutput::hdmi)), "display");
}

TEST_F(HUDViewsTest, TheVolumeHUDTakesTheTracksColourOnlyWhilePlayingAndIsEmptyWhenMuted) {
    nowPlaying.accentColor = RGBA{0.9, 0.3, 0.5, 1};
    inputs.flag = true;  // muted
    showIsland(
        [this] {
            return VolumeHUDView{.level = 0.5f, .muted = inputs.flag, .notch = {187, 32}};
        },
        157);
    settle();
    EXPECT_EQ(symbol("speaker.slash.fill").textPaint->stops.front().color, Color::white);
    EXPECT_EQ(fillWidth(Color::white), 0);
    inputs.flag = false;
    nowPlaying.isPlaying = true;
    settle();
    const Color accent = Color::sRGB(0.9, 0.3, 0.5);
    const DisplayItem& glyph = symbol("speaker.wave.2.fill");
    EXPECT_EQ(fontSize(glyph), 13);
    EXPECT_EQ(glyph.textPaint->stops.back().color, accent.opacity(0.55)) << "a gradient of the tint";
    EXPECT_NEAR(fillWidth(accent), (157 / 2.0 - 12 - 6) * 0.5, 1e-9) << "the rest of the wing";
    EXPECT_FALSE(host->isFrameScheduled());
}

TEST_F(HUDViewsTest, TheSunTurnsAQuarterTurnFromDarkestToBrightest) {
    for (const auto& [level, name, turn] :
         {std::tuple(0.49, "sun.min.fill", 44.1), {0.5, "sun.max.fill", 45.0}, {1.0, "sun.max.fill", 90.0}}) {
        inputs.value = level;
        showIsland(
            [this] {
                return BrightnessHUDView{.level = float(inputs.value), .notch = {187, 32}};
            },
            157);
        settle();
        EXPECT_EQ(symbol(name).textPaint->stops.front().color, Color::sRGB(1.0, 0.84, 0.35));
        EXPECT_NEAR(degrees("rotationEffect"), turn, 1e-4);
        EXPECT_NEAR(fillWidth(Color::white), 60.5 * level, 1e-4);
    }
    inputs.value = 0.2;
    advance(0.05);
    EXPECT_GT(degrees("rotationEffect"), 18) << "springs to the new angle";
    settle();
    EXPECT_FALSE(host->isFrameScheduled());
}

TEST_F(HUDViewsTest, TheDeviceGlyphSwingsInWhenRealisticAndIsPlainWhenFlat) {
    for (const auto& [style, setting, flat] :
         {std::tuple(std::optional<AccessoryStyle>(), AccessoryStyle::realistic, false),
          {std::nullopt, AccessoryStyle::flat, true},
          {AccessoryStyle::flat, AccessoryStyle::realistic, true}}) {
        AppSettings::shared().accessoryStyle = setting;
        showIsland(
            [style] {
                return DeviceArt{
                    .kind = Kind::headphones, .symbol = "headphones", .size = 22, .style = style};
            },
            104);
        EXPECT_NEAR(fontSize(symbol("headphones")), 14.96, 1e-9);
        advance(0.099);
        EXPECT_EQ(degrees("rotation3DEffect"), flat ? 0 : -55) << "waits 0.1 s";
        settle();
        EXPECT_NEAR(degrees("rotation3DEffect"), 0, 1e-6);
        EXPECT_EQ(symbol("headphones").textPaint->kind, flat ? Paint::Kind::solid : Paint::Kind::linear);
        EXPECT_EQ(shown().findAll([](auto& i) { return i.shadow.has_value(); }).size(), flat ? 0u : 2u);
        EXPECT_FALSE(host->isFrameScheduled());
    }
}

TEST_F(HUDViewsTest, TheBatteryHUDFollowsTheChargerAndLevelAndItsGlyphTheLook) {
    // The glyph is 24 wide: a body of 21.5 beside its tip, the fill in 17.5 of it, at least 2.
    struct Case {
        Snapshot snapshot;
        BatteryStyle style;
        const char* symbol;
        const char* word;
        Color color;
        double fill;  // in `color` (white in the outline look); 0: a bolt instead
    };
    for (const Case& c : std::vector<Case>{
             {{20, false, false}, BatteryStyle::filled, "battery.75percent", "Batería", Color::red, 3.5},
             {{21, false, false}, BatteryStyle::outline, "battery.75percent", "Batería", Color::white, 3.675},
             {{0, true, false}, BatteryStyle::filled, "battery.75percent", "Batería", Color::red, 2},
             {{50, false, true}, BatteryStyle::filled, "bolt.fill", "Cargando", Color::green, 8.75},
             {{99, true, true}, BatteryStyle::outline, "bolt.fill", "Cargando", Color::green, 0},
             {{100, false, true}, BatteryStyle::outline, "bolt.fill", "Cargada", Color::green, 17.5},
         }) {
        SCOPED_TRACE(c.word + std::to_string(c.snapshot.level));
        AppSettings::shared().batteryStyle = c.style;
        showIsland([c] { return BatteryHUDView{.snapshot = c.snapshot, .notch = {187, 32}}; }, 157);
        settle();
        EXPECT_EQ(color(symbol(c.symbol)), c.color);
        EXPECT_EQ(color(text(c.word)), c.color);
        EXPECT_EQ(color(text(std::to_string(c.snapshot.level) + "%")), Color::white.opacity(0.9));
        const Color fill = c.style == BatteryStyle::filled ? c.color : Color::white;
        EXPECT_NEAR(fillWidth(fill), c.fill, 1e-9);
        EXPECT_EQ(shown().findAll([](auto& i) { return i.symbol == "bolt.fill"; }).size(),
                  (c.fill == 0) + c.snapshot.pluggedIn);
        EXPECT_FALSE(host->isFrameScheduled());
    }
}

TEST_F(HUDViewsTest, AConnectedChargerSwellsThreeTimesAndStaysGlowing) {
    // The symbol's own scale (inside its pop-in's) and glow.
    const auto pulse = [this] {
        const DisplayItem& bolt = symbol("bolt.fill");
        std::tuple<double, double, double> p;
        for (const auto* step : last().pathTo(&bolt)) {
            if (std::string_view(step->role) == "scaleEffect") std::get<0>(p) = step->effectParameters.at(0);
            if (step->shadow) p = {std::get<0>(p), step->shadow->color.a, step->shadow->radius};
        }
        return p;
    };
    inputs.value = 50;
    showIsland(
        [this] {
            return BatteryHUDView{.snapshot = {std::int64_t(inputs.value), true, true}, .notch = {187, 32}};
        },
        157);
    advance(0.7);
    EXPECT_NEAR(std::get<0>(pulse()), 1.12, 1e-3);
    advance(0.7);
    EXPECT_NEAR(std::get<0>(pulse()), 1, 1e-3);
    advance(3);
    EXPECT_EQ(pulse(), std::tuple(1.12, 0.8, 6.0));
    EXPECT_FALSE(host->isFrameScheduled());
    inputs.value = 51;  // a new reading does not pulse again
    advance(0.01);
    EXPECT_EQ(pulse(), std::tuple(1.12, 0.8, 6.0));
    EXPECT_FALSE(host->isFrameScheduled());
}

TEST_F(HUDViewsTest, TheDeviceHUDShowsTheLowerBudTheSingleBatteryOrACheckMark) {
    struct Case {
        Kind kind;
        Levels levels;
        std::vector<std::pair<Color, double>> rings;
        Color bar;  // with the number; clear: none
        bool checkMark;
    };
    for (const Case& c : std::vector<Case>{
             {Kind::airpods, {80, 60, 40, no}, {{Color::green, 0.6}}, Color::clear, false},
             {Kind::airpodsPro, {no, 70, no, no}, {{Color::green, 0.7}}, Color::clear, false},
             {Kind::airpodsPro, {20, 90, no, 95}, {{Color::red, 0.2}}, Color::clear, false},
             {Kind::headphones, {no, no, no, 20}, {}, Color::red, false},
             {Kind::airpodsMax, {no, no, no, 21}, {}, Color::green, false},
             {Kind::airpods, {no, no, 40, no}, {}, Color::clear, true},
         }) {
        const AudioDeviceInfo d = device(c.kind, c.levels);
        showIsland([d] { return DeviceHUDView{.device = d, .notch = {187, 32}}; }, 130);
        settle();
        EXPECT_EQ(arcs(), c.rings);
        const auto main = c.levels[3].value_or(0);
        EXPECT_NEAR(c.bar == Color::clear ? 0 : fillWidth(c.bar),
                    c.bar == Color::clear ? 0 : 24 * main / 100.0, 1e-9);
        EXPECT_EQ(shown().findText(std::to_string(main)) != nullptr, c.bar != Color::clear);
        EXPECT_EQ(shown().findSymbol("checkmark.circle.fill") != nullptr, c.checkMark);
        EXPECT_FALSE(host->isFrameScheduled());
    }
    // The check mark comes last: 0.18 s after the glyph, and the lead.
    showIsland([] { return DeviceHUDView{.device = device(Kind::airpods, {}), .notch = {187, 32}}; }, 104);
    advance(0.239);
    EXPECT_EQ(opacityOf(symbol("checkmark.circle.fill")), 0);
    advance(0.02);
    EXPECT_GT(opacityOf(symbol("checkmark.circle.fill")), 0);
}

TEST_F(HUDViewsTest, LevelsArrivingAfterTheCheckMarkPopInWhileTheCheckMarkFadesOut) {
    const auto arc = [](const DisplayItem& i) { return i.shape && i.stroke.lineCap == LineCap::round; };
    const auto bar = [](const DisplayItem& i) { return i.kind == DisplayItem::Kind::text && i.text == "70"; };
    for (const auto& [levels, level] :
         {std::pair(Levels{80, 60, 40, no}, std::function<bool(const DisplayItem&)>(arc)),
          {Levels{no, no, no, 70}, bar}}) {
        inputs.flag = false;  // no levels yet
        showIsland(
            [this, levels] {
                return DeviceHUDView{.device = device(Kind::airpodsPro, inputs.flag ? levels : Levels{}),
                                     .notch = {187, 32}};
            },
            130);
        settle();
        ASSERT_EQ(opacityOf(symbol("checkmark.circle.fill")), 1);

        // The same HUD again, with its levels.
        inputs.flag = true;
        advance(0.1);
        const double fading = opacityOf(symbol("checkmark.circle.fill"));
        EXPECT_GT(fading, 0);
        EXPECT_LT(fading, 1);
        EXPECT_EQ(opacityOf(item(last().find(level))), 0) << "the level waits 0.12 s and the lead";
        advance(0.1);
        EXPECT_GT(opacityOf(item(last().find(level))), 0);
        settle();
        EXPECT_EQ(shown().findSymbol("checkmark.circle.fill"), nullptr);
        EXPECT_EQ(opacityOf(item(last().find(level))), 1);
    }
}

TEST_F(HUDViewsTest, EachDetailRingIsThePartItShowsWhenPartsComeAndGo) {
    // (levels before, levels after, the arcs after): a ring keeps its first arc (the number
    // follows), a ring new to the card fills from empty to its own level.
    const std::vector<std::tuple<Levels, Levels, std::vector<double>>> rows = {
        {{80, 60, 40, no}, {no, 60, 40, no}, {0.6, 0.4}},
        {{no, 60, 40, no}, {80, 60, 40, no}, {0.8, 0.6, 0.4}},
        {{80, 60, no, no}, {no, no, no, 30}, {0.3}},
    };
    for (const auto& [before, after, expected] : rows) {
        inputs.flag = false;
        showIsland(
            [this, before, after] {
                return DeviceDetailView{.device = device(Kind::airpodsPro, inputs.flag ? after : before),
                                        .notch = {187, 32}};
            },
            157, {187, 32}, 84);
        settle();
        inputs.flag = true;
        settle();
        std::vector<double> shares;
        for (const auto& [color, share] : arcs()) shares.push_back(share);
        EXPECT_EQ(shares, expected);
    }
}

TEST_F(HUDViewsTest, TheDetailCardShowsOneRingPerReportedPartInOrder) {
    for (const auto& [levels, labels] :
         {std::pair(Levels{80, 60, 40, no}, std::vector<std::string>{"Izq.", "Der.", "Estuche"}),
          {Levels{10, no, 50, 70}, {"Izq.", "Estuche", "Batería"}},
          {Levels{}, {}}}) {
        const AudioDeviceInfo d = device(Kind::airpodsPro, levels);
        showIsland([d] { return DeviceDetailView{.device = d, .notch = {187, 32}}; }, 157, {187, 32}, 84);
        settle();
        auto captions =
            shown().findAll([](auto& i) { return !i.runs.empty() && i.runs.front().font.size == 9; });
        std::sort(captions.begin(), captions.end(),
                  [this](auto* a, auto* b) { return drawn(*a).minX() < drawn(*b).minX(); });
        std::vector<std::string> shownLabels;
        for (const auto* caption : captions) shownLabels.push_back(caption->text);
        EXPECT_EQ(shownLabels, labels);
        EXPECT_EQ(arcs().size(), labels.size());
        EXPECT_EQ(color(text("Conectado")), Color::green);
        EXPECT_NEAR(drawn(text("AirPods de Ana")).maxY(), 32 + 42, 3) << "centred in the 84 points below";
        EXPECT_FALSE(host->isFrameScheduled());
    }
    showIsland(
        [] {
            return DeviceDetailView{.device = {std::string(40, 'x'), Kind::headphones, {50, 50, 50, no}},
                                    .notch = {187, 32}};
        },
        157);
    EXPECT_TRUE(text(std::string(40, 'x')).truncated) << "a long name is cut on one line";
}

TEST_F(HUDViewsTest, TheOutputHUDUsesSmallSizesBelow28PointsAndShrinksItsNameBeforeCuttingIt) {
    for (const auto& [height, edge, symbolSize, textSize] :
         {std::tuple(27.9, 8.0, 12.5, 11.0), {28.0, 11.0, 15.0, 13.0}}) {
        const Size notch{187, height};
        showIsland(
            [notch] {
                return OutputHUDView{.output = {1, "MacBook Pro", AudioOutput::builtIn}, .notch = notch};
            },
            190, notch);
        settle();
        EXPECT_EQ(fontSize(symbol("laptopcomputer")), symbolSize);
        EXPECT_EQ(drawn(symbol("laptopcomputer")).minX(), edge);
        EXPECT_EQ(fontSize(text("Bocinas")), textSize);
        EXPECT_EQ(drawn(text("Bocinas")).maxX(), 187 + 190 - edge);
        EXPECT_FALSE(host->isFrameScheduled());
    }
    // 82 points of wing for 13-point letters half as wide.
    for (const auto& [name, scale, cut] :
         {std::tuple("HomePod Cocina", 0.934, false), {"Altavoces Bluetooth Salón", 0.8, true}}) {
        showIsland([name] { return OutputHUDView{.output = {2, name, 0}, .notch = {187, 32}}; }, 190);
        EXPECT_NEAR(text(name).textScale, scale, 0.01);
        EXPECT_EQ(text(name).truncated, cut);
    }
}

TEST_F(HUDViewsTest, AnAlertStaggersItsPartsAndGivesWayByItsLayout) {
    const IslandAlert regular = alert("Micrófono", Tint::orange, "●");
    showIsland([regular] { return AlertHUDView{.alert = regular, .notch = {187, 32}}; }, 190);
    const auto arrived = [this] {
        return std::tuple(opacityOf(symbol("mic.fill")) > 0, opacityOf(text("●")) > 0,
                          opacityOf(text("Micrófono")) > 0);
    };
    for (const auto& [wait, parts] : {std::pair(0.059, std::tuple(false, false, false)),
                                      {0.002, {true, false, false}},
                                      {0.1, {true, true, false}},
                                      {0.05, {true, true, true}}}) {
        advance(wait);
        EXPECT_EQ(arrived(), parts);
    }
    settle();
    EXPECT_EQ(fontSize(symbol("mic.fill")), 14);
    EXPECT_EQ(color(text("●")), Color::orange);
    EXPECT_EQ(color(text("Micrófono")), Color::white.opacity(0.92));
    EXPECT_EQ(degrees("rotation3DEffect"), 0) << "swung in";
    EXPECT_FALSE(host->isFrameScheduled());
    // The message has 95 - 12 - 6 = 77 points: it shrinks to 85 % before it is cut.
    for (const auto& [message, scale, cut] : {std::tuple("Reunión en 5 min", 0.89, false),
                                              {"El micrófono está en uso por otra app", 0.85, true}}) {
        const IslandAlert a = alert(message, Tint::green);
        showIsland([a] { return AlertHUDView{.alert = a, .notch = {187, 32}}; }, 190);
        EXPECT_NEAR(text(message).textScale, scale, 0.01);
        EXPECT_EQ(text(message).truncated, cut);
    }
    // Compact: small sizes below 28 points, and the word whole even wider than its wing.
    for (const auto& [height, edge, symbolSize, word] :
         {std::tuple(27.9, 7.0, 11.5, 11.0), {28.0, 9.0, 13.5, 12.5}}) {
        const Size notch{187, height};
        const IslandAlert compact = alert("Desactivado", Tint::dim, {}, true);
        showIsland([compact, notch] { return AlertHUDView{.alert = compact, .notch = notch}; }, 60, notch);
        settle();
        EXPECT_EQ(fontSize(symbol("mic.fill")), symbolSize);
        EXPECT_EQ(drawn(symbol("mic.fill")).minX(), edge);
        EXPECT_EQ(drawn(text("Desactivado")).width(), 10.5 * word / 2);
        EXPECT_FALSE(text("Desactivado").truncated);
        EXPECT_EQ(color(text("Desactivado")), Color::gray(0.55));
    }
    for (const auto& [tint, expected] : {std::pair(Tint::white, Color::white),
                                         {Tint::orange, Color::orange},
                                         {Tint::green, Color::green},
                                         {Tint::red, Color::red},
                                         {Tint::accent, Color::sRGB(0.04, 0.52, 1.0)},
                                         {Tint::calendar, Color::sRGB(1.0, 0.38, 0.35)},
                                         {Tint::focus, Color::sRGB(0.42, 0.42, 1.0)}}) {
        const IslandAlert a = alert("Sí", tint, {}, true);
        showIsland([a] { return AlertHUDView{.alert = a, .notch = {187, 32}}; }, 60);
        EXPECT_EQ(std::pair(color(symbol("mic.fill")), color(text("Sí"))), std::pair(expected, expected));
    }
}

}  // namespace hud_views_test
}  // namespace
}  // namespace quorlix
