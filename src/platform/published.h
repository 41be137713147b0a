#pragma once
// Change notification: our stand-in for published properties and their subscriptions.
//
//     Published<double> level{this, 0.5};          // inside an ObservableObject
//     Subscription s = level.sink([](double v) { ... });      // later changes only
//     Subscription t = level.subscribe([](double v) { ... }); // current value, then changes
//
// A subscription ends when its handle is destroyed, and may safely be destroyed from inside
// its own callback. Subscribers are called in the order they subscribed. Setting a value
// notifies even when it is equal to the old one; a subscriber that wants only real changes
// compares itself. As on the platform, subscribers hear the new value *before* it is stored
// (`get()` inside a callback still answers the old value); the owner's `objectWillChange`
// fires first.
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quorlix {

// Ends one subscription when destroyed.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& o) noexcept : cancel_(std::exchange(o.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& o) noexcept {
        if (this != &o) {
            cancel();
            cancel_ = std::exchange(o.cancel_, nullptr);
        }
        return *this;
    }
    ~Subscription() { cancel(); }

    void cancel() {
        if (auto c = std::exchange(cancel_, nullptr)) c();
    }
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// A list of subscribers that can outlive, or be outlived by, its subscriptions.
template <class... Args>
class Signal {
public:
    using Handler = std::function<void(const Args&...)>;

    Signal() : state_(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription connect(Handler handler) {
        const auto id = state_->nextId++;
        state_->slots.push_back({id, std::make_shared<Handler>(std::move(handler))});
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto s = weak.lock()) s->remove(id);
        });
    }

    void emit(const Args&... args) const {
        // Copy so handlers may subscribe or unsubscribe while we iterate; one removed during
        // this emission is not called afterwards.
        auto state = state_;
        const auto slots = state->slots;
        for (const auto& slot : slots) {
            if (state->contains(slot.id)) (*slot.handler)(args...);
        }
    }

    std::size_t subscriberCount() const { return state_->slots.size(); }

private:
    struct Slot {
        std::uint64_t id;
        std::shared_ptr<Handler> handler;
    };
    struct State {
        std::vector<Slot> slots;
        std::uint64_t nextId = 1;
        void remove(std::uint64_t id) {
            std::erase_if(slots, [id](const Slot& s) { return s.id == id; });
        }
        bool contains(std::uint64_t id) const {
            for (const auto& s : slots)
                if (s.id == id) return true;
            return false;
        }
    };
    std::shared_ptr<State> state_;
};

// An object whose published properties announce changes through one signal, which the view
// layer listens to.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    Signal<> objectWillChange;
};

template <class T>
class Published {
public:
    explicit Published(T initial) : value_(std::move(initial)) {}
    Published(ObservableObject* owner, T initial) : owner_(owner), value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T newValue) {
        if (filter_) {
            auto kept = filter_(std::move(newValue));
            if (!kept) return;
            newValue = std::move(*kept);
        }
        if (owner_) owner_->objectWillChange.emit();
        changed_.emit(newValue);
        value_ = std::move(newValue);
        if (didSet_) didSet_(value_);
    }
    // Called after each stored value (a settings store writes it through here).
    void setDidSet(std::function<void(const T&)> fn) { didSet_ = std::move(fn); }
    // Decides what an assignment stores: the value, another in its place, or nothing (the
    // assignment is refused and no one hears of it). A settings store guards its numbers here.
    void setFilter(std::function<std::optional<T>(T)> fn) { filter_ = std::move(fn); }
    Published& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }

    // Later changes only.
    [[nodiscard]] Subscription sink(std::function<void(const T&)> fn) {
        return changed_.connect(std::move(fn));
    }
    // The current value at once, then every change.
    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> fn) {
        fn(value_);
        return changed_.connect(std::move(fn));
    }

private:
    ObservableObject* owner_ = nullptr;
    T value_;
    Signal<T> changed_;
    std::function<void(const T&)> didSet_;
    std::function<std::optional<T>(T)> filter_;
};

}  // namespace quorlix
