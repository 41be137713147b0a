#pragma once
// What a view's body sees while it is evaluated: the environment values and objects handed
// down to it, its identity in the tree, and its view state. Views never keep a Context.

#include "ui/element.h"
#include "ui/state.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <typeinfo>

namespace quorlix::ui {

class Context {
public:
    explicit Context(const BuildScope& scope, std::size_t viewType = 0) : scope_(scope), viewType_(viewType) {}
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    template <class T>
    const T& environment(const EnvironmentKey<T>& key) const {
        return scope_.environment[key];
    }
    const EnvironmentValues& environment() const { return scope_.environment; }

    // An environment object handed down by an ancestor. Reading it also subscribes the tree to
    // its changes. A missing object is a programming error of the host: it stops the process.
    template <class T>
    T& object() const {
        if (T* found = findObject<T>()) return *found;
        std::fprintf(stderr, "quorlix: no environment object of type %s\n", typeid(T).name());
        std::abort();
    }
    template <class T>
    T* findObject() const {
        ObservableObject* observable = nullptr;
        T* found = scope_.environment.object<T>(&observable);
        if (observable && scope_.services) scope_.services->observe(observable);
        return found;
    }

    // Re-renders the tree whenever `object` publishes (an observed object the view holds).
    void observe(ObservableObject& object) const {
        if (scope_.services) scope_.services->observe(&object);
    }

    // The view's next state slot: `initial` the first time this view's identity renders, the
    // value last set on any later render. Slots are counted in the order the body asks.
    template <class T>
    State<T> state(T initial) {
        const std::uint64_t slot = nextSlot_++;
        if (!scope_.services || !scope_.services->store)
            return State<T>(std::make_shared<detail::StateBox<T>>(detail::StateBox<T>{std::move(initial), {}}));
        const std::uint64_t key = scope_.identity.child(viewType_).child(slot).value;
        return State<T>(scope_.services->store->box<T>(key, [&] { return std::move(initial); }));
    }

    // An object the view owns for as long as its identity stays in the tree (the platform's
    // state object): `make()` runs on the first render only, and an observable object
    // re-renders the tree when it publishes. Takes the view's next state slot.
    template <class T, class Make>
    std::shared_ptr<T> stateObject(Make make) {
        const std::uint64_t slot = nextSlot_++;
        std::shared_ptr<T> object;
        if (!scope_.services || !scope_.services->store) {
            object = std::shared_ptr<T>(make());
        } else {
            const std::uint64_t key = scope_.identity.child(viewType_).child(slot).value;
            object = scope_.services->store
                         ->box<std::shared_ptr<T>>(key, [&] { return std::shared_ptr<T>(make()); })
                         ->value;
        }
        if constexpr (std::is_base_of_v<ObservableObject, T>) observe(*object);
        return object;
    }

    Identity identity() const { return scope_.identity; }
    ColorScheme colorScheme() const;

private:
    const BuildScope& scope_;
    std::size_t viewType_ = 0;
    std::uint64_t nextSlot_ = 0;
};

}  // namespace quorlix::ui
