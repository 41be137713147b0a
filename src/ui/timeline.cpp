#include "ui/timeline.h"
#include "ui/block_pool.h"

#include "ui/element.h"
#include "ui/lifecycle.h"
#include "ui/state.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

// The display's frame period: an animation timeline never asks for more.
constexpr double framePeriod = 1.0 / 60;

// An animation timeline's last entry: its date, and when it was made (monotonic).
struct Entry {
    Date date;
    double at = 0;
};

class TimelineNode final : public Node {
public:
    TimelineNode(TimelineSchedule schedule, std::function<View(const TimelineContext&)> content)
        : schedule_(schedule), content_(std::move(content)) {}

    // A timeline's entries build its content again by itself (the views around it stay).
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        RecordScope record(*this, scope, 0, false);
        const View view = content_({entryDate(scope)});
        std::unique_ptr<Element> e = buildElement(view.node(), scope.child(1));
        record.built(e.get());
        return e;
    }

private:
    Date entryDate(const BuildScope& scope) const {
        TreeServices* services = scope.services;
        if (!services) return {};
        const FrameTime& t = services->time;
        switch (schedule_.kind) {
            case TimelineSchedule::Kind::animation: {
                const double interval = std::max(schedule_.interval, framePeriod);
                auto last = services->store ? services->store->box<Entry>(detail::slotKey(scope, 0x74696d656cULL),
                                                                          [&] { return Entry{t.date, t.now}; })
                                            : nullptr;
                if (!last) {
                    if (!schedule_.paused) services->requestUpdate(t.now + interval);
                    return t.date;
                }
                if (schedule_.paused) return last->value.date;
                // A render for another reason within the interval keeps the last entry, so a
                // sibling's faster timeline does not drive this one.
                if (t.now - last->value.at >= interval - 1e-9) last->value = Entry{t.date, t.now};
                services->requestUpdate(last->value.at + interval);
                return last->value.date;
            }
            case TimelineSchedule::Kind::periodic: {
                const double by = std::max(schedule_.interval, 1e-3);
                const double since = t.date.timeIntervalSince(schedule_.from);
                if (since < 0) {
                    services->requestUpdate(t.now - since);
                    return schedule_.from;
                }
                const double k = std::floor(since / by);
                const Date entry = schedule_.from.addingTimeInterval(k * by);
                services->requestUpdate(t.now + (k + 1) * by - since);
                return entry;
            }
            case TimelineSchedule::Kind::everyMinute: {
                const double minute = std::floor(t.date.secondsSince1970 / 60) * 60;
                services->requestUpdate(t.now + (minute + 60 - t.date.secondsSince1970));
                return Date(minute);
            }
        }
        return t.date;
    }

    TimelineSchedule schedule_;
    std::function<View(const TimelineContext&)> content_;
};

}  // namespace

View TimelineView(const TimelineSchedule& schedule, std::function<View(const TimelineContext&)> content) {
    return View(blocks::makeShared<TimelineNode>(schedule, std::move(content)));
}

}  // namespace quorlix::ui
