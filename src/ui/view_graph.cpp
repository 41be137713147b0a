#include "ui/view_graph.h"

namespace quorlix::ui {

const DisplayItem& ViewGraph::update(const View& root, Size size, const EnvironmentValues& environment) {
    // The old tree goes first: anchors into it resolve to nothing from here on.
    root_.reset();
    services_ = std::make_unique<TreeServices>(fonts_);
    const BuildScope scope{environment, Identity{}, services_.get()};
    root_ = buildElement(root.node(), scope);
    // Centred in the canvas, as the platform's hosting views place their root.
    rootSize_ = root_->sizeThatFits(size);
    root_->place({{(size.width - rootSize_.width) / 2, (size.height - rootSize_.height) / 2}, rootSize_});

    preferences_ = PreferenceValues{};
    root_->collectPreferences(preferences_);

    list_ = DisplayItem{};
    list_.role = "root";
    list_.frame = {{0, 0}, size};
    root_->render(list_, {0, 0});
    return list_;
}

const std::vector<ObservableObject*>& ViewGraph::observedObjects() const {
    static const std::vector<ObservableObject*> none;
    return services_ ? services_->observed() : none;
}

}  // namespace quorlix::ui
