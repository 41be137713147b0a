#pragma once
// Renders a root view: builds the element tree from the view values (evaluating bodies with
// the environment and their view state), lays it out for a size, records the display list,
// and animates what changed since the last render.
//
//     ui::ViewGraph graph(fonts);
//     graph.update(IslandRootView{...}, {920, 340}, environment, {clock.now(), clock.date()});
//     graph.present(clock.now()).draw(canvas);   // as shown at that moment
//
// `update` renders the layout result (`displayList()`), then runs the views' appear,
// disappear, change and task actions; `present(now)` gives the list as shown at a moment,
// animations and transitions included. View state lives in the graph: a state change marks
// the graph invalid (`invalidation()`), with the transaction it was made in, and the next
// update renders with that transaction. A ViewHost (view_host.h) drives all this from the
// main queue; tools and tests may drive it by hand. Main thread only.
//
// The element tree is kept between updates. An update with the same root view, size and
// environment that was asked for by state changes, by observed objects (`invalidate(object)`)
// or by timelines whose entry is due evaluates again only the bodies of the views concerned
// and lays out again only what their change moves; anything else (a new root, size or
// environment, a request for the whole tree, or an update nobody asked for) renders the whole
// tree as before.

#include "ui/animator.h"
#include "ui/canvas.h"
#include "ui/display_list.h"
#include "ui/element.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/lifecycle.h"
#include "ui/preference.h"
#include "ui/state.h"
#include "ui/text_layout.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorlix::ui {

class ViewGraph {
public:
    explicit ViewGraph(FontEngine& fonts);
    ~ViewGraph();
    ViewGraph(const ViewGraph&) = delete;
    ViewGraph& operator=(const ViewGraph&) = delete;

    // The root view is proposed `size` and centred in it.
    const DisplayItem& update(const View& root, Size size, const EnvironmentValues& environment = {},
                              FrameTime time = {});
    // The size `root` chooses when proposed `proposal` (an absent length asks for its ideal
    // one), as a window sized to its content takes it. Measured on a tree of its own, with
    // fresh view state, that runs no actions: the rendered tree is left as it is.
    Size fittingSize(const View& root, ProposedSize proposal,
                     const EnvironmentValues& environment = {}) const;
    // The last update's list as shown at monotonic `now`.
    const DisplayItem& present(double now);

    // The last update's list: the layout's result, without animation.
    const DisplayItem& displayList() const { return animator_.target(); }
    // The list the last `present` gave.
    const DisplayItem& shown() const { return shown_ ? *shown_ : animator_.target(); }
    // The same, shared: it stays as it is while held (a window compares the next one with it).
    std::shared_ptr<const DisplayItem> shownList() const {
        return shown_ ? animator_.shown() : animator_.targetList();
    }
    // Whether what is shown changes with time (an animation or a transition runs).
    bool isAnimating() const { return animator_.isAnimating(); }
    // The moment the last `present` showed, and how many updates there have been.
    double presentedAt() const { return presentedAt_; }
    std::uint64_t updates() const { return render_; }
    // The list as it will be shown at one of the moments, after the last `present`, at which a
    // running motion stands farthest from its target each way (a spring's overshoot at its
    // farthest). With the list shown and the layout's result, these lists hold all the running
    // motions draw until they end, unless something changes meanwhile.
    struct Turn {
        double at = 0;
        DisplayItem list;
    };
    // The soonest `most` of them.
    std::vector<Turn> turns(std::size_t most = 8);
    // Holds every running motion still for `seconds` from the last `present`, then lets them go
    // on from where they stood.
    void postpone(double seconds) { animator_.postpone(presentedAt_, seconds); }
    // When a timeline wants the tree rendered again (monotonic), if it does.
    std::optional<double> nextUpdate() const { return nextUpdate_; }
    // View state changes land here (see state.h).
    Invalidation& invalidation() { return *invalidation_; }
    bool needsUpdate() const { return invalidation_->isPending(); }
    // Asks the next update to evaluate again the bodies of the views that read `object`.
    void invalidate(ObservableObject& object);

    // The preferences the whole tree publishes.
    const PreferenceValues& preferences() const { return preferences_; }
    // The observable objects the views of the tree read through the environment or observe.
    const std::vector<ObservableObject*>& observedObjects() const { return observed_; }
    // Called by `update` once `observedObjects()` is known, when it differs from the last
    // update's, before the views' actions run: a host subscribes there, so what an appear
    // action changes in an object the tree has just started to read is not missed.
    std::function<void()> onObservedObjects;
    // How many view bodies (and timeline contents) the last update evaluated.
    std::size_t evaluatedViews() const { return evaluated_; }

private:
    void buildWhole(const View& root, Size size, const EnvironmentValues& environment);
    // The records to build again for `request` (empty with nothing to build), or none when the
    // whole tree must be built.
    std::optional<std::vector<ViewRecord*>> partsToBuild(const Invalidation::Request& request, double now);
    void buildAgain(ViewRecord& record);
    void runLifecycles();
    // Notes what the tree reads and when it is next due; whether what it reads changed.
    bool noteRecords();

    FontEngine& fonts_;
    TextLayoutCache textLayouts_;
    std::shared_ptr<Invalidation> invalidation_;
    StateStore store_;
    std::unique_ptr<TreeServices> services_;
    std::unique_ptr<ViewRecord> rootRecord_;
    std::unique_ptr<Element> root_;
    // The tree of the last render while a new one is built whole.
    std::unique_ptr<TreeServices> previousServices_;
    std::unique_ptr<Element> previousRoot_;
    std::shared_ptr<const Node> rootNode_;
    Size size_;
    EnvironmentValues environment_;
    std::uint64_t render_ = 0;
    std::size_t evaluated_ = 0;
    std::vector<ObservableObject*> observed_;
    PreferenceValues preferences_;
    Animator animator_;
    const DisplayItem* shown_ = nullptr;
    double presentedAt_ = 0;
    std::optional<double> nextUpdate_;
    // Appear, disappear and task of the views in the tree, by identity.
    std::vector<Lifecycle> lifecycles_;
    std::unordered_map<std::uint64_t, std::unique_ptr<ViewTask>> tasks_;
};

}  // namespace quorlix::ui
