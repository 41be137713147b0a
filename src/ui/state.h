#pragma once
// View state: values a view keeps from one render to the next, for as long as its identity
// stays in the tree, and loses when the identity goes (a new `id`, another branch of a
// condition, a removed ForEach item).
//
//     View body(Context& ctx) const {
//         auto shown = ctx.state<bool>(false);             // slot 0 of this view
//         return content.opacity(shown ? 1 : 0)
//             .onAppear([shown] { withAnimation(Animation::spring(0.45, 0.62), [&] { shown = true; }); });
//     }
//
// A `State` is a handle: copies share the value, and actions may keep one for later. Setting
// it re-renders the view that owns it (its body and the views below it, not the whole tree)
// with the transaction in force; setting a value equal to the current one does nothing. A
// handle outliving its view holds a value nobody shows.
// `Binding` is a get/set pair handed to a control that edits someone else's value.
// Main thread only.

#include "ui/transaction.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quorlix::ui {

// The request to render a tree again, with the transaction of the change that asked for it.
// A state's change and an observed object's change land here; the host renders once for all
// the changes of one turn of the main queue. A request names the views whose bodies must be
// evaluated again (by identity), or the whole tree.
class Invalidation {
public:
    // The whole tree.
    void invalidate();
    // The body of the view of identity `view` (0: the whole tree).
    void invalidate(std::uint64_t view);
    bool isPending() const { return pending_; }
    // The transaction the next render animates with (the latest animated one among the
    // changes since the last render); clears the request.
    Transaction take();

    struct Request {
        Transaction transaction;
        bool everything = false;
        std::vector<std::uint64_t> views;
    };
    // The same, with what was asked for.
    Request takeRequest();

    std::function<void()> onInvalidate;

private:
    void note();
    bool pending_ = false;
    bool everything_ = false;
    std::vector<std::uint64_t> views_;
    Transaction transaction_;
};

template <class T>
class Binding {
public:
    Binding(std::function<T()> get, std::function<void(T)> set) : get_(std::move(get)), set_(std::move(set)) {}
    static Binding constant(T value) {
        return Binding([value] { return value; }, [](T) {});
    }
    T get() const { return get_(); }
    void set(T value) const { set_(std::move(value)); }
    const Binding& operator=(T value) const {
        set(std::move(value));
        return *this;
    }

private:
    std::function<T()> get_;
    std::function<void(T)> set_;
};

namespace detail {
template <class T>
struct StateBox {
    T value;
    std::weak_ptr<Invalidation> owner;
    // The identity of the view whose body is evaluated again when it changes (0: the tree's).
    std::uint64_t view = 0;
};
}  // namespace detail

template <class T>
class WeakState;

template <class T>
class State {
public:
    // A state of no view (a member default): holds a value and renders nothing.
    State()
        requires std::default_initializable<T>
        : box_(std::make_shared<detail::StateBox<T>>()) {}
    explicit State(std::shared_ptr<detail::StateBox<T>> box) : box_(std::move(box)) {}

    const T& get() const { return box_->value; }
    operator const T&() const { return box_->value; }  // NOLINT: reads as the value
    const T* operator->() const { return &box_->value; }

    void set(T value) const {
        if constexpr (std::equality_comparable<T>) {
            if (box_->value == value) return;
        }
        box_->value = std::move(value);
        if (auto owner = box_->owner.lock()) owner->invalidate(box_->view);
    }
    const State& operator=(T value) const {
        set(std::move(value));
        return *this;
    }
    Binding<T> binding() const {
        return Binding<T>([box = box_] { return box->value; }, [s = *this](T v) { s.set(std::move(v)); });
    }
    // A handle that does not keep the value alive: for deferred work that may outlive the view.
    WeakState<T> weak() const;

private:
    std::shared_ptr<detail::StateBox<T>> box_;
};

template <class T>
class WeakState {
public:
    WeakState() = default;
    explicit WeakState(std::weak_ptr<detail::StateBox<T>> box) : box_(std::move(box)) {}
    // The state, while its view still holds it.
    std::optional<State<T>> lock() const {
        if (auto box = box_.lock()) return State<T>(std::move(box));
        return std::nullopt;
    }

private:
    std::weak_ptr<detail::StateBox<T>> box_;
};

template <class T>
WeakState<T> State<T>::weak() const {
    return WeakState<T>(box_);
}

class StateStore;

// What a modifier that watches a value gets at each render: where to remember the value, and
// how to queue an action for after the render.
struct ValueWatch {
    StateStore& store;
    std::uint64_t key;
    std::function<void(std::function<void()>)> afterRender;
};

// Whether a value remembered under a key changed since the last render.
template <class T>
struct ValueChange {
    bool isNew = true;    // first render with this key
    bool changed = false;  // differs from the last render's value (never for a new key)
    T previous;
};

// Every view state and remembered value of one tree, by key (a view's identity combined with
// a slot). A render marks the keys it uses; `endFrame` drops the others. A render of part of
// the tree drops, of the keys that part used before (`dropUntouched`), those it no longer uses.
class StateStore {
public:
    explicit StateStore(std::shared_ptr<Invalidation> invalidation) : invalidation_(std::move(invalidation)) {}

    template <class T, class Make>
    std::shared_ptr<detail::StateBox<T>> box(std::uint64_t key, Make&& initial) {
        Entry& e = touch(key);
        if (e.type != typeTag<detail::StateBox<T>>() || !e.value) {
            auto fresh =
                std::make_shared<detail::StateBox<T>>(detail::StateBox<T>{T(initial()), invalidation_, 0});
            e.value = fresh;
            e.type = typeTag<detail::StateBox<T>>();
        }
        auto box = std::static_pointer_cast<detail::StateBox<T>>(e.value);
        box->view = view_;
        return box;
    }

    // Remembers `value` under `key` and tells how it compares with the last render's. Asked
    // twice in one render, it answers the same.
    template <class T>
    ValueChange<T> track(std::uint64_t key, const T& value) {
        Entry& e = entries_[key];
        const bool seenThisFrame = e.frame == frame_ && e.type == typeTag<Memo<T>>() && e.value;
        touch(key);
        if (e.type != typeTag<Memo<T>>() || !e.value) {
            e.value = std::make_shared<Memo<T>>(Memo<T>{value, {true, false, value}});
            e.type = typeTag<Memo<T>>();
            return {true, false, value};
        }
        auto& memo = *std::static_pointer_cast<Memo<T>>(e.value);
        if (seenThisFrame) return memo.result;
        memo.result = {false, !(memo.value == value), memo.value};
        memo.value = value;
        return memo.result;
    }

    void beginFrame() { ++frame_; }
    void endFrame() {
        std::erase_if(entries_, [this](const auto& kv) { return kv.second.frame != frame_; });
    }
    // Drops those of `keys` not used in this render.
    template <class Keys>
    void dropUntouched(const Keys& keys) {
        for (const std::uint64_t key : keys)
            if (const auto found = entries_.find(key);
                found != entries_.end() && found->second.frame != frame_)
                entries_.erase(found);
    }
    std::size_t size() const { return entries_.size(); }

    // While part of the tree is built: the view whose body a state change evaluates again, and
    // where the keys used are noted (none: not noted).
    void setOwner(std::uint64_t view, std::unordered_set<std::uint64_t>* keys) {
        view_ = view;
        keys_ = keys;
    }
    std::uint64_t ownerView() const { return view_; }
    std::unordered_set<std::uint64_t>* ownerKeys() const { return keys_; }

private:
    struct Entry;
    Entry& touch(std::uint64_t key) {
        Entry& e = entries_[key];
        e.frame = frame_;
        if (keys_) keys_->insert(key);
        return e;
    }

    template <class T>
    struct Memo {
        T value;
        ValueChange<T> result;
    };
    struct Entry {
        std::shared_ptr<void> value;
        const void* type = nullptr;
        std::uint64_t frame = 0;
    };
    template <class T>
    static const void* typeTag() {
        static const char tag = 0;
        return &tag;
    }

    std::shared_ptr<Invalidation> invalidation_;
    std::unordered_map<std::uint64_t, Entry> entries_;
    std::uint64_t frame_ = 0;
    std::uint64_t view_ = 0;
    std::unordered_set<std::uint64_t>* keys_ = nullptr;
};

}  // namespace quorlix::ui
