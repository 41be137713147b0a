#include "ui/timeline.h"

#include "ui/element.h"
#include "ui/lifecycle.h"
#include "ui/state.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

// The display's frame period: an animation timeline never asks for more.
constexpr double framePeriod = 1.0 / 60;

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
                auto last = services->store ? services->store->box<Date>(detail::slotKey(scope, 0x74696d656cULL),
                                                                         [&] { return t.date; })
                                            : nullptr;
                if (schedule_.paused) return last ? last->value : t.date;
                if (last) last->value = t.date;
                services->requestUpdate(t.now + std::max(schedule_.interval, framePeriod));
                return t.date;
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
    return View(std::make_shared<TimelineNode>(schedule, std::move(content)));
}

}  // namespace quorlix::ui
