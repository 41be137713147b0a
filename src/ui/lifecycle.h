#pragma once
// A view's life in the tree: actions when it appears and disappears, actions on a change of
// a value it is given, tasks that live as long as it does, and actions on a change of a
// preference its content publishes.
//
//     view.onAppear([shown] { withAnimation(spring, [&] { shown = true; }); })
//         .onChange(value, [progress](int v) { withAnimation(..., [&] { progress = v / 100.0; }); })
//         .task(text, [](ViewTask& task) { task.after(0.16, [] { ... }); })
//
// Appearing is the first render in which the view's identity is in the tree, disappearing
// the first render without it; both actions run right after that render, in tree order.
// `onChange` runs after a render in which the value differs from the last render's, never
// for the first value; its action takes the new value, or the old and the new.

#include "platform/main_queue.h"
#include "platform/published.h"
#include "ui/preference.h"
#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace quorlix::ui {

// The work of a `task` modifier. What the task holds is cancelled when its view disappears
// or its value changes (the task is then started again with the new value).
class ViewTask {
public:
    ViewTask() = default;
    ViewTask(const ViewTask&) = delete;
    ViewTask& operator=(const ViewTask&) = delete;
    ~ViewTask() { *running_ = false; }

    void hold(platform::WorkItem work) { work_.push_back(std::move(work)); }
    void hold(Subscription subscription) { subscriptions_.push_back(std::move(subscription)); }
    // Runs `fn` on the main queue after `seconds`, unless the task has ended by then.
    void after(double seconds, std::function<void()> fn) { hold(platform::MainQueue::shared().after(seconds, std::move(fn))); }
    // Stays true while the task runs; for work the task cannot hold (a reply from elsewhere).
    std::shared_ptr<const bool> running() const { return running_; }

private:
    std::vector<platform::WorkItem> work_;
    std::vector<Subscription> subscriptions_;
    std::shared_ptr<bool> running_ = std::make_shared<bool>(true);
};

namespace modifier {
View onAppear(View v, std::function<void()> action);
View onDisappear(View v, std::function<void()> action);
// `watch` compares the value with the last render's and queues the action.
View onChange(View v, std::function<void(ValueWatch&)> watch);
// `changed` tells whether the task's value changed since the last render.
View task(View v, std::function<bool(ValueWatch&)> changed, std::function<void(ViewTask&)> start);
View onPreferenceChange(View v, const PreferenceKeyBase& key, std::function<void(ValueWatch&, const void* value)> watch);
}  // namespace modifier

template <class Self>
View ViewModifiers<Self>::onAppear(std::function<void()> action) const {
    return modifier::onAppear(asView(), std::move(action));
}

template <class Self>
View ViewModifiers<Self>::onDisappear(std::function<void()> action) const {
    return modifier::onDisappear(asView(), std::move(action));
}

template <class Self>
template <class T, class F>
View ViewModifiers<Self>::onChange(const T& value, F action) const {
    return modifier::onChange(asView(), [value, action = std::move(action)](ValueWatch& w) {
        const ValueChange<T> c = w.store.track(w.key, value);
        if (!c.changed) return;
        if constexpr (std::is_invocable_v<F, const T&, const T&>) {
            w.afterRender([action, old = c.previous, value] { action(old, value); });
        } else {
            w.afterRender([action, value] { action(value); });
        }
    });
}

template <class Self>
template <class T>
View ViewModifiers<Self>::task(const T& value, std::function<void(ViewTask&)> start) const {
    return modifier::task(
        asView(), [value](ValueWatch& w) { return w.store.track(w.key, value).changed; }, std::move(start));
}

template <class Self>
View ViewModifiers<Self>::task(std::function<void(ViewTask&)> start) const {
    return modifier::task(asView(), [](ValueWatch&) { return false; }, std::move(start));
}

template <class Self>
template <class T, class F>
View ViewModifiers<Self>::onPreferenceChange(const PreferenceKey<T>& key, F action) const {
    return modifier::onPreferenceChange(asView(), key, [action = std::move(action)](ValueWatch& w, const void* v) {
        const T& value = *static_cast<const T*>(v);
        // Told of the first value too, as on the platform.
        const ValueChange<T> c = w.store.track(w.key, value);
        if (!c.isNew && !c.changed) return;
        w.afterRender([action, value] { action(value); });
    });
}

}  // namespace quorlix::ui
