#pragma once
// A host keeps a root view rendered: it renders again when view state or an observed object
// changes (all the changes of one turn of the main queue in one frame, animated with their
// transaction), produces frames while an animation or a transition runs or a timeline asks,
// and schedules nothing at all when nothing changes. Pointer and drop events go through
// `events()`. The window hosts (ui/qt/) draw its frames; tests and tools read them.
//
//     ui::ViewHost host(fonts, IslandRootView{state, geometry}, {920, 340});
//     host.observe(state);                       // an observed object held by the root view
//     host.onFrame = [&] { window.update(); };   // draw host.displayList() when asked
//
// Time comes from platform::Clock and frames are scheduled on platform::MainQueue, so tests
// run it on virtual time. Main thread only.

#include "platform/published.h"
#include "platform/work_item.h"
#include "ui/event_router.h"
#include "ui/view_graph.h"

#include <functional>
#include <map>
#include <optional>

namespace quorlix::ui {

class ViewHost {
public:
    ViewHost(FontEngine& fonts, View root, Size size, EnvironmentValues environment = {});
    ~ViewHost();
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

    void setRoot(View root);
    void setSize(Size size);
    void setEnvironment(EnvironmentValues environment);
    Size size() const { return size_; }
    // Renders again whenever `object` publishes, for the host's whole life.
    void observe(ObservableObject& object);
    // A paused host (its window hidden) makes no frames, its animations and timelines
    // included; resumed, it renders at once what changed meanwhile and goes on.
    void setPaused(bool paused);

    // The last frame: the list as shown.
    const DisplayItem& displayList() const { return graph_.shown(); }
    // The same, shared: it stays as it is while held.
    std::shared_ptr<const DisplayItem> shownList() const { return graph_.shownList(); }
    ViewGraph& graph() { return graph_; }
    EventRouter& events() { return events_; }

    // The size the root view chooses when proposed `proposal` (see ViewGraph::fittingSize).
    Size fittingSize(ProposedSize proposal) const {
        return graph_.fittingSize(root_, proposal, environment_);
    }

    // Renders at once what is pending (a window's first paint; tests).
    void render();
    // Whether a frame is scheduled.
    bool isFrameScheduled() const { return next_.isPending(); }
    // Whether something changed that the next turn of the main queue renders.
    bool needsRender() const { return !paused_ && (dirty_ || graph_.needsUpdate()); }

    // Called after each frame: the window draws `displayList()`.
    std::function<void()> onFrame;

private:
    void invalidate();
    void frame();
    void observeObjects();
    void schedule(double delay);

    ViewGraph graph_;
    EventRouter events_;
    View root_;
    Size size_;
    EnvironmentValues environment_;
    bool dirty_ = true;
    bool inFrame_ = false;
    bool paused_ = false;
    std::optional<double> rebuildAt_;
    platform::WorkItem next_;
    double nextDue_ = 0;
    std::map<ObservableObject*, Subscription> observed_;
    std::map<ObservableObject*, Subscription> pinned_;
};

}  // namespace quorlix::ui
