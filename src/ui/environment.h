#pragma once
// Environment values flow down the view tree: a view reads them through its Context, and a
// modifier changes them for everything below it.
//
//     inline const ui::EnvironmentKey<double> islandWidth{0.0};   // a key, with its default
//     view.environment(islandWidth, w)                             // write for a subtree
//     ctx.environment(islandWidth)                                 // read in a body
//
// Environment objects are long-lived objects (services, state holders) handed down by type:
// `view.environmentObject(service)` and `ctx.object<Service>()`. A missing one is a
// programming error of the host, as on the platform.

#include "platform/published.h"
#include "ui/block_pool.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace quorlix::ui {

template <class T>
class EnvironmentKey {
public:
    explicit EnvironmentKey(T defaultValue) : default_(std::move(defaultValue)) {}
    EnvironmentKey(const EnvironmentKey&) = delete;
    EnvironmentKey& operator=(const EnvironmentKey&) = delete;
    const T& defaultValue() const { return default_; }

private:
    T default_;
};

// An immutable, cheaply copied set of values: each write adds one entry in front of the ones
// it inherits, and a read takes the nearest.
class EnvironmentValues {
public:
    template <class T>
    const T& operator[](const EnvironmentKey<T>& key) const {
        if (const void* v = find(&key)) return *static_cast<const T*>(v);
        return key.defaultValue();
    }

    template <class T>
    EnvironmentValues setting(const EnvironmentKey<T>& key, T value) const {
        return with(&key, std::make_shared<const T>(std::move(value)), nullptr);
    }

    template <class T>
    EnvironmentValues settingObject(T& object) const {
        ObservableObject* observable = nullptr;
        if constexpr (std::is_base_of_v<ObservableObject, T>) observable = &object;
        // Not owned: the host keeps its objects alive for as long as it renders.
        std::shared_ptr<const void> ref(std::shared_ptr<const void>{}, static_cast<const void*>(&object));
        return with(objectKey<T>(), std::move(ref), observable);
    }

    // Whether both are the very same set of values (not merely equal ones).
    bool isSameAs(const EnvironmentValues& other) const { return head_ == other.head_; }

    // The object of type T, or null when none was handed down.
    template <class T>
    T* object(ObservableObject** observable = nullptr) const {
        const Entry* e = findEntry(objectKey<T>());
        if (!e) return nullptr;
        if (observable) *observable = e->observable;
        return const_cast<T*>(static_cast<const T*>(e->value.get()));
    }

private:
    struct Entry {
        const void* key;
        std::shared_ptr<const void> value;
        ObservableObject* observable;
        std::shared_ptr<const Entry> next;
    };

    template <class T>
    static const void* objectKey() {
        static const char tag = 0;
        return &tag;
    }

    EnvironmentValues with(const void* key, std::shared_ptr<const void> value, ObservableObject* observable) const {
        EnvironmentValues out;
        out.head_ = blocks::makeShared<const Entry>(Entry{key, std::move(value), observable, head_});
        return out;
    }
    const Entry* findEntry(const void* key) const {
        for (const Entry* e = head_.get(); e; e = e->next.get())
            if (e->key == key) return e;
        return nullptr;
    }
    const void* find(const void* key) const {
        const Entry* e = findEntry(key);
        return e ? e->value.get() : nullptr;
    }

    std::shared_ptr<const Entry> head_;
};

}  // namespace quorlix::ui
