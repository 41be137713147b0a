#pragma once
// The settings window's numeric controls.
//
// `CanopySlider`: a thin track, a white fill up to a white capsule thumb that grows while
// held, and optional tick dots under the thumb's positions. A press anywhere on it (no
// movement needed) moves the value there; the value written always lies in the range.
//
// `DurationRow` (seconds) and `SizeRow` (points) are card rows: a title and the value with
// its unit, the slider over a `LiveValue`, and the range's bounds under it. A size row hands
// every value to its preview while the user drags and commits a whole number of points.
//
//     SizeRow{"Ancho", settingBinding(settings.islandWidth), 320, 860, preview}
//     DurationRow{"Duración", settingBinding(settings.volumeHUDDuration), 1, 4, 0.5}

#include "settings/live_value.h"
#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorlix {

// The head of a slider row: the title, and at the trailing end the value with its unit (none
// when empty), on one baseline.
ui::View sliderHeader(const std::string& title, ui::View value, const std::string& unit);
// A slider row's value: 17-point bold with digits of one width.
ui::View sliderValueText(std::string text);
// The words under a slider's two ends.
ui::View sliderScale(std::string lower, std::string upper);

struct CanopySlider {
    ui::Binding<double> value;
    double lower = 0;
    double upper = 1;
    int ticks = 0;
    double step = 0;

    static constexpr double height = 22;
    static constexpr double thumbWidth = 22;
    static constexpr double thumbHeight = 15;
    static constexpr double trackHeight = 4;
    static constexpr double tickSize = 2.5;

    // The length the thumb's centre travels in a slider `width` wide (at least 1).
    static double usable(double width);
    // Where `value` is drawn, 0...1 (a value outside the range at the nearer end).
    static double fraction(double value, double lower, double upper);
    // The value a press at `x` of a slider `width` wide stands for: snapped to `step` (when
    // above 0) and kept in the range.
    static double valueAt(double x, double width, double lower, double upper, double step);
    // The centres of the tick dots along a slider `width` wide; none for fewer than 2.
    static std::vector<double> tickCentres(int ticks, double width);
    // What the slider draws at `width`, its value at `fraction` of the range, the thumb grown
    // while `held`.
    static ui::View look(double width, double fraction, int ticks, bool held);

    ui::View body(ui::Context& ctx) const;
};

struct DurationRow {
    std::string title;
    ui::Binding<double> value;
    double lower = 0;
    double upper = 1;
    double step = 1;

    // 4 reads "4", 1.5 reads "1.5".
    static std::string label(double seconds);
    // One dot per whole second of the range.
    static int tickCount(double lower, double upper);
    ui::View body(ui::Context& ctx) const;
};

struct SizeRow {
    std::string title;
    ui::Binding<double> value;
    double lower = 0;
    double upper = 1;
    std::function<void(std::optional<double>)> preview;
    // Where the row's pending commit is listed (a reset drops it).
    std::shared_ptr<LiveCommits> commits;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
