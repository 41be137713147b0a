#pragma once
// Timelines: content rebuilt on a schedule, for what changes with the clock (a countdown, an
// equalizer, lyrics that follow the playback position).
//
//     TimelineView(TimelineSchedule::animation(1.0 / 30, !playing), [](const TimelineContext& t) {
//         return Bars{.time = t.date};
//     })
//
// - `animation(minimumInterval, paused)`: every display frame, at most once per interval;
//   while paused no frames at all, and the content keeps the date of its last frame.
// - `periodic(from, by)`: at `from` and every `by` seconds after it.
// - `everyMinute()`: at the start of every minute.
//
// A timeline asks its host for the render of its next entry; with nothing else changing an
// idle island wakes only for its timelines that run, and each entry builds again only the
// timeline's content.

#include "platform/clock.h"
#include "ui/view.h"

#include <functional>

namespace quorlix::ui {

struct TimelineSchedule {
    enum class Kind { animation, periodic, everyMinute };
    Kind kind = Kind::animation;
    double interval = 1.0 / 60;  // animation: the minimum interval; periodic: the period
    bool paused = false;
    Date from;

    static TimelineSchedule animation(double minimumInterval = 1.0 / 60, bool paused = false) {
        return {Kind::animation, minimumInterval, paused, {}};
    }
    static TimelineSchedule periodic(Date from, double by) { return {Kind::periodic, by, false, from}; }
    static TimelineSchedule everyMinute() { return {Kind::everyMinute, 60, false, {}}; }
};

struct TimelineContext {
    Date date;  // the entry's date
};

View TimelineView(const TimelineSchedule& schedule, std::function<View(const TimelineContext&)> content);

}  // namespace quorlix::ui
