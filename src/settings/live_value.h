#pragma once
// A control's live edit of a stored number. While the user drags, `LiveValue` keeps a draft
// that the control shows, hands every new value to an optional preview, and writes the
// setting once, 0.25 s after the last change, snapped to `step`: a drag without a pause
// reaches the settings store as a single write. The commit then drops the draft and calls
// the preview with no value.
//
//     LiveValue{.value = settingBinding(settings.islandWidth), .step = 1,
//               .preview = [](std::optional<double> v) { ... },
//               .content = [](const ui::Binding<double>& live, bool editing) { return CanopySlider{...}; }}
//
// The pending commit is a main-queue work item. Leaving the view does not cancel it: it
// still writes through the binding, and reaches the draft only through a weak handle. A
// `LiveCommits` group shared by several live values lets an action (a reset) drop their
// pending commits, drafts and previews together. Main thread only.

#include "platform/work_item.h"
#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

// `value` snapped to the nearest multiple of `step` (halves away from zero), written with no
// more decimals than `step` has (15 × 0.1 gives 1.5, not 1.5000000000000002). A `step` of 0
// or less, or a value too large or not finite to snap, comes back unchanged.
double snapped(double value, double step);

// `value` rounded to a whole number (halves away from zero) as text; values beyond the range
// of a 64-bit integer saturate, and a value that is not a number reads 0.
std::string wholeNumberText(double value);
// `value` cut toward zero, as text, saturating the same way.
std::string truncatedNumberText(double value);

class LiveCommits;

struct LiveValue {
    ui::Binding<double> value;
    double step = 0;
    std::function<void(std::optional<double>)> preview;
    // The wrapped control, from the live binding and whether a draft is being edited.
    std::function<ui::View(const ui::Binding<double>& live, bool editing)> content;
    // Where its pending commit is listed, when an action may drop it.
    std::shared_ptr<LiveCommits> commits;

    static constexpr double commitDelay = 0.25;
    ui::View body(ui::Context& ctx) const;
};

// One scheduled commit of a live value.
struct PendingCommit {
    platform::WorkItem work;
    ui::WeakState<std::optional<double>> draft;
    std::function<void(std::optional<double>)> preview;

    // Not cancelled when its view goes away: the write still happens.
    ~PendingCommit() { work.detach(); }
    // Cancels the write, drops the draft and ends the preview.
    void discard();
};

class LiveCommits {
public:
    void add(const std::shared_ptr<PendingCommit>& commit);
    // Drops every pending commit listed.
    void discardAll();

private:
    std::vector<std::weak_ptr<PendingCommit>> commits_;
};

}  // namespace quorlix
