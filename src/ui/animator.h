#pragma once
// The animator: turns the succession of rendered display lists into what is shown at each
// moment. Views are matched by identity from one render to the next; every animatable
// property that changed (frame, opacity, geometry effect, blur, shadow, saturation, a shape's
// or a clip's animatable data, fill, stroke and text colours) travels from its shown value to
// its new one with the animation of the view's transaction, taking over the velocity of a
// motion already under way. Inserted views run their transition in, removed ones stay drawn
// (inert) while their transition runs out, and texts and symbols show a change of content
// with their content transition.
//
// Internal to the view layer (the graph owns one); main thread only.

#include "ui/animation.h"
#include "ui/display_list.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorlix::ui {

class Animator {
public:
    // A newly rendered tree, at monotonic time `now`. With `animate` false (a transaction
    // that disables animations) every change shows at once.
    void update(DisplayItem target, double now, bool animate = true);
    // The tree as shown at `now` (times never go backwards).
    const DisplayItem& present(double now);
    // The tree the last `present` gave, shared: it stays as it is while someone holds it.
    std::shared_ptr<const DisplayItem> shown() const { return shownIsTarget_ ? target_ : shown_; }
    // Whether the tree shown will change as time passes.
    bool isAnimating() const { return !records_.empty() || !ghosts_.empty(); }
    // The tree as it will be shown at `at` (not before the last `present`), unless something
    // changes meanwhile; what is shown is left as it is.
    DisplayItem shownAt(double at);
    // The moments after `now` at which a running motion stands farthest from its target each way
    // (see AnimationTrack::turningTimes), soonest first, moments closer than a frame's quarter
    // counted once.
    std::vector<double> turningTimes(double now) const;
    // Holds every running motion still from `now` for `seconds`; then they go on from where
    // they stood.
    void postpone(double now, double seconds);
    const DisplayItem& target() const { return *target_; }
    std::shared_ptr<const DisplayItem> targetList() const { return target_; }

    enum Channel : std::size_t {
        frameChannel,
        opacityChannel,
        effectChannel,
        blurChannel,
        shadowChannel,
        saturationChannel,
        shapeChannel,
        clipChannel,
        fillChannel,
        strokeChannel,
        textPaintChannel,
        transitionChannel,
        channelCount
    };

private:
    struct ContentSwap {
        DisplayItem old;
        std::shared_ptr<const AnimationTrack> progress;
        ContentTransition transition;
    };
    struct Record {
        std::array<std::shared_ptr<const AnimationTrack>, channelCount> tracks;
        UnitPoint transitionAnchor = UnitPoint::center;
        std::optional<ContentSwap> swap;
        bool empty() const;
    };
    struct Ghost {
        DisplayItem item;
        std::uint64_t parent = 0;
        std::optional<std::uint64_t> previousSibling;  // none: it was the first child
        std::size_t index = 0;
        std::uint64_t transitionTarget = 0;  // the item inside `item` the transition moves
        UnitPoint anchor = UnitPoint::center;
        std::shared_ptr<const AnimationTrack> track;
    };
    struct Place {
        const DisplayItem* item = nullptr;
        std::uint64_t parent = 0;
        std::optional<std::uint64_t> previousSibling;
        std::size_t index = 0;
    };
    // Places by identity, in one array with open addressing: the list is indexed again at
    // every render, and an index made anew allocated a node for each of its items. Cleared by
    // a new generation, not by a walk of its slots; the first place of an identity stays.
    class Index {
    public:
        // Empty, with room for `expected` places without growing.
        void clear(std::size_t expected);
        bool emplace(std::uint64_t id, const Place& place);
        const Place* find(std::uint64_t id) const;
        bool contains(std::uint64_t id) const { return find(id) != nullptr; }
        std::size_t size() const { return size_; }

    private:
        struct Slot {
            std::uint64_t id = 0;
            std::uint32_t generation = 0;
            Place place;
        };
        std::size_t slotOf(std::uint64_t id) const;
        void grow();
        std::vector<Slot> slots_;
        std::uint32_t generation_ = 1;
        std::size_t size_ = 0;
    };

    struct Found {
        const AnyTransition* transition = nullptr;
        const DisplayItem* target = nullptr;  // the item the transition moves
    };

    // Every item of the list by identity, into `index`.
    static void indexOf(const DisplayItem& root, Index& index);
    static Found transitionFor(const DisplayItem& root, const Index& index);
    void compare(const DisplayItem& old, const DisplayItem& now, double time, bool animate);
    void insert(const DisplayItem& item, const Index& index, double time, bool animate);
    void remove(const Place& place, const Index& next, double time, bool animate);
    // `item` with the running animations applied to it and its subtree, when they change any
    // item (the stamps of the items changed, and of their ancestors, are cleared); else none.
    // With `tidy`, the motions ended by `now` are let go.
    std::optional<DisplayItem> applied(const DisplayItem& item, double now, bool tidy);
    // Puts the removed views still leaving into `root`, as shown at `now`; with `tidy`, those
    // gone by then are let go.
    void placeGhosts(DisplayItem& root, double now, bool tidy);

    std::shared_ptr<DisplayItem> target_ = std::make_shared<DisplayItem>();
    Index index_;
    Index nextIndex_;  // kept between renders for its room
    std::shared_ptr<DisplayItem> shown_;
    bool shownIsTarget_ = true;
    std::optional<double> presentedAt_;  // the moment `shown_` was presented for, until an update
    std::unordered_map<std::uint64_t, Record> records_;
    std::vector<Ghost> ghosts_;
};

}  // namespace quorlix::ui
