#include "ui/view_graph.h"

#include <unordered_set>

namespace quorlix::ui {

ViewGraph::ViewGraph(FontEngine& fonts)
    : fonts_(fonts), invalidation_(std::make_shared<Invalidation>()), store_(invalidation_) {}

ViewGraph::~ViewGraph() {
    // Tasks end with the graph; their held work is cancelled.
    tasks_.clear();
}

const DisplayItem& ViewGraph::update(const View& root, Size size, const EnvironmentValues& environment,
                                     FrameTime time) {
    const Transaction transaction = invalidation_->take();
    // The old tree goes first: anchors into it resolve to nothing from here on.
    root_.reset();
    services_ = std::make_unique<TreeServices>(fonts_);
    services_->store = &store_;
    services_->time = time;
    store_.beginFrame();
    const BuildScope scope{environment, Identity{}, services_.get(),
                           transaction.disablesAnimations ? nullptr : transaction.animation};
    root_ = buildElement(root.node(), scope);
    // Centred in the canvas, as the platform's hosting views place their root.
    rootSize_ = root_->sizeThatFits(size);
    root_->place({{(size.width - rootSize_.width) / 2, (size.height - rootSize_.height) / 2}, rootSize_});

    preferences_ = PreferenceValues{};
    root_->collectPreferences(preferences_);

    DisplayItem list;
    list.role = "root";
    list.identity = Identity{0};
    list.frame = {{0, 0}, size};
    root_->render(list, {0, 0});
    store_.endFrame();
    nextUpdate_ = services_->nextUpdate();
    animator_.update(std::move(list), time.now, !transaction.disablesAnimations);
    shown_ = nullptr;

    runLifecycles();
    return animator_.target();
}

Size ViewGraph::fittingSize(const View& root, ProposedSize proposal,
                            const EnvironmentValues& environment) const {
    TreeServices services(fonts_);
    StateStore store(std::make_shared<Invalidation>());
    services.store = &store;
    store.beginFrame();
    const BuildScope scope{environment, Identity{}, &services, nullptr};
    return buildElement(root.node(), scope)->sizeThatFits(proposal);
}

const DisplayItem& ViewGraph::present(double now) {
    shown_ = &animator_.present(now);
    return *shown_;
}

void ViewGraph::runLifecycles() {
    std::vector<std::function<void()>> actions = services_->takeActions();
    std::vector<Lifecycle> current;
    std::unordered_set<std::uint64_t> present;
    for (auto& l : services_->lifecycles())
        if (present.insert(l.identity.value).second) current.push_back(std::move(l));
    services_->lifecycles().clear();

    std::vector<std::function<void()>> appear, disappear;
    std::unordered_set<std::uint64_t> before;
    for (const auto& l : lifecycles_) {
        before.insert(l.identity.value);
        if (present.contains(l.identity.value)) continue;
        if (l.disappear) disappear.push_back(l.disappear);
        tasks_.erase(l.identity.value);
    }
    for (const auto& l : current) {
        const bool isNew = !before.contains(l.identity.value);
        if (isNew && l.appear) appear.push_back(l.appear);
        if (l.task && (isNew || l.restartTask)) {
            // Replacing the old task cancels what it holds.
            auto task = std::make_unique<ViewTask>();
            ViewTask& started = *task;
            tasks_[l.identity.value] = std::move(task);
            const auto start = l.task;
            appear.push_back([start, &started] { start(started); });
        }
    }
    lifecycles_ = std::move(current);

    for (const auto& a : actions) a();
    for (const auto& d : disappear) d();
    for (const auto& a : appear) a();
}

const std::vector<ObservableObject*>& ViewGraph::observedObjects() const {
    static const std::vector<ObservableObject*> none;
    return services_ ? services_->observed() : none;
}

}  // namespace quorlix::ui
