#pragma once
// What a view's body sees while it is evaluated: the environment values and objects handed
// down to it, and its identity in the tree. Views never keep a Context.

#include "ui/element.h"

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

namespace quorlix::ui {

class Context {
public:
    explicit Context(const BuildScope& scope) : scope_(scope) {}
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

    Identity identity() const { return scope_.identity; }
    ColorScheme colorScheme() const;

private:
    const BuildScope& scope_;
};

}  // namespace quorlix::ui
