#pragma once
// Renders a root view: builds the element tree from the view values (evaluating bodies with
// the environment), lays it out for a size, and records the display list.
//
//     ui::ViewGraph graph(fonts);
//     graph.update(IslandRootView{...}, {920, 340}, environment);
//     graph.displayList().draw(canvas);
//
// The graph keeps the last tree, so a host can re-render when an observed object changes
// (`observedObjects()`), and later parts of the layer key view state and animations on the
// identities it hands out. Main thread only.

#include "ui/canvas.h"
#include "ui/display_list.h"
#include "ui/element.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/preference.h"
#include "ui/view.h"

#include <memory>
#include <vector>

namespace quorlix::ui {

class ViewGraph {
public:
    explicit ViewGraph(FontEngine& fonts) : fonts_(fonts) {}
    ViewGraph(const ViewGraph&) = delete;
    ViewGraph& operator=(const ViewGraph&) = delete;

    // The root view is proposed `size` and centred in it.
    const DisplayItem& update(const View& root, Size size, const EnvironmentValues& environment = {});

    const DisplayItem& displayList() const { return list_; }
    // The preferences the whole tree publishes.
    const PreferenceValues& preferences() const { return preferences_; }
    // The observable objects read through the environment during the last update.
    const std::vector<ObservableObject*>& observedObjects() const;
    // The size the root view chose.
    Size rootSize() const { return rootSize_; }

private:
    FontEngine& fonts_;
    std::unique_ptr<TreeServices> services_;
    std::unique_ptr<Element> root_;
    DisplayItem list_;
    PreferenceValues preferences_;
    Size rootSize_;
};

}  // namespace quorlix::ui
