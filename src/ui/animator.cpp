#include "ui/animator.h"

#include "ui/block_pool.h"
#include "ui/transition.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

namespace quorlix::ui {

namespace {

using Channel = Animator::Channel;

// A frame's spring rests within 1/256 of a point of its target: at up to twice the scale,
// less than the 64th of a pixel Qt's rasteriser places an edge by. Resting within a
// thousandth, a long move drew a tenth of a second more of frames that change nothing.
constexpr double frameRest = 1.0 / 256;

struct ChannelValue {
    AnimatableData data;
    std::size_t signature = 0;  // values of different signatures cannot be interpolated
};

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// One value at a time: GCC 12 at -O3 misreads an initializer-list insert into an empty
// vector as an overflow.
void append(AnimatableData& d, std::initializer_list<double> values) {
    for (const double v : values) d.push_back(v);
}

void appendColor(AnimatableData& d, const Color& c) { append(d, {c.r, c.g, c.b, c.a}); }
Color colorAt(const AnimatableData& d, std::size_t i) {
    return {clamp01(d[i]), clamp01(d[i + 1]), clamp01(d[i + 2]), clamp01(d[i + 3])};
}

ChannelValue paintValue(const std::optional<Paint>& p) {
    ChannelValue v;
    if (!p) return v;
    v.signature = 1 + static_cast<std::size_t>(p->kind) * 1000 + p->stops.size();
    if (p->kind == Paint::Kind::solid) {
        appendColor(v.data, p->color);
        return v;
    }
    for (const auto& s : p->stops) {
        appendColor(v.data, s.color);
        v.data.push_back(s.location);
    }
    append(v.data, {p->start.x, p->start.y, p->end.x, p->end.y, p->startRadius, p->endRadius});
    return v;
}

void setPaint(std::optional<Paint>& p, const AnimatableData& d) {
    if (!p) return;
    if (p->kind == Paint::Kind::solid) {
        if (d.size() >= 4) p->color = colorAt(d, 0);
        return;
    }
    if (d.size() != p->stops.size() * 5 + 6) return;
    std::size_t i = 0;
    for (auto& s : p->stops) {
        s.color = colorAt(d, i);
        s.location = d[i + 4];
        i += 5;
    }
    p->start = {d[i], d[i + 1]};
    p->end = {d[i + 2], d[i + 3]};
    p->startRadius = d[i + 4];
    p->endRadius = d[i + 5];
}

std::size_t shapeSignature(const ShapeModel* m) { return m ? std::hash<std::string_view>{}(m->name()) : 0; }

ChannelValue channelValue(const DisplayItem& i, std::size_t channel) {
    switch (channel) {
        case Channel::frameChannel:
            return {{i.frame.x(), i.frame.y(), i.frame.width(), i.frame.height()}, 0};
        case Channel::opacityChannel: return {{i.opacity}, 0};
        case Channel::effectChannel:
            return i.effect ? ChannelValue{i.effectParameters, 1} : ChannelValue{};
        case Channel::blurChannel: return {{i.blurRadius}, 0};
        case Channel::shadowChannel: {
            if (!i.shadow) return {};
            const auto& s = *i.shadow;
            return {{s.color.r, s.color.g, s.color.b, s.color.a, s.radius, s.x, s.y}, 0};
        }
        case Channel::saturationChannel: return i.saturation ? ChannelValue{{*i.saturation}, 0} : ChannelValue{};
        case Channel::shapeChannel:
            return i.shape ? ChannelValue{i.shape->animatableData(), shapeSignature(i.shape.get())} : ChannelValue{};
        case Channel::clipChannel:
            return i.clipShape ? ChannelValue{i.clipShape->animatableData(), shapeSignature(i.clipShape.get())}
                               : ChannelValue{};
        case Channel::fillChannel: return paintValue(i.fill);
        case Channel::strokeChannel: return paintValue(i.strokePaint);
        case Channel::textPaintChannel: return paintValue(i.textPaint);
        default: return {};
    }
}

// What an absent shadow or saturation amounts to, so that one can appear or vanish gradually.
std::optional<AnimatableData> neutral(std::size_t channel, const AnimatableData& other) {
    if (channel == Channel::shadowChannel && other.size() == 7) {
        AnimatableData d = other;
        d[3] = 0;
        d[4] = 0;
        return d;
    }
    if (channel == Channel::saturationChannel) return AnimatableData{1};
    return std::nullopt;
}

// The child indices on the way from `item` to the first item of `id`, depth first.
bool pathTo(const DisplayItem& item, std::uint64_t id, std::vector<std::size_t>& path) {
    if (item.identity.value == id) return true;
    for (std::size_t i = 0; i < item.children.size(); ++i) {
        path.push_back(i);
        if (pathTo(item.children[i], id, path)) return true;
        path.pop_back();
    }
    return false;
}

// The first item of `id`, depth first, made this list's own on the way to it (the lists
// beside the way stay shared); with `clearStamps`, the stamps on the way, its own included,
// are cleared.
DisplayItem* findMutable(DisplayItem& root, std::uint64_t id, bool clearStamps = false) {
    std::vector<std::size_t> path;
    if (!pathTo(root, id, path)) return nullptr;
    DisplayItem* at = &root;
    for (const std::size_t i : path) {
        if (clearStamps) at->stamp = 0;
        at = &at->children.edit()[i];
    }
    if (clearStamps) at->stamp = 0;
    return at;
}

Transform aboutOrigin(const Transform& local, Point origin) {
    return Transform::translation(-origin.x, -origin.y).then(local).then(Transform::translation(origin.x, origin.y));
}

void applyTransition(DisplayItem& item, const AnimatableData& v, UnitPoint anchor) {
    if (v.size() != 6) return;
    item.opacity *= clamp01(v[0]);
    item.blurRadius += std::max(0.0, v[5]);
    const Point a = anchor.in(item.frame);
    const Transform t = Transform::scale(v[1], v[2]).about(a).then(Transform::translation(v[3], v[4]));
    if (!t.isIdentity()) item.transform = item.transform.then(t);
}

using Values = std::array<const AnimatableData*, Animator::channelCount>;

void applyValues(DisplayItem& item, const Values& v, UnitPoint anchor) {
    const Rect target = item.frame;
    Rect shown = target;
    if (const auto* f = v[Channel::frameChannel]; f && f->size() == 4)
        shown = {(*f)[0], (*f)[1], std::max(0.0, (*f)[2]), std::max(0.0, (*f)[3])};
    const bool moved = shown != target;
    // Maps the target frame onto the frame shown.
    const double sx = target.width() > 0 ? shown.width() / target.width() : 1;
    const double sy = target.height() > 0 ? shown.height() / target.height() : 1;
    const Transform mapping = Transform::translation(-target.x(), -target.y())
                                  .then(Transform::scale(sx, sy))
                                  .then(Transform::translation(shown.x(), shown.y()));
    if (moved) {
        item.frame = shown;
        const double dx = item.kind == DisplayItem::Kind::symbol ? shown.midX() - target.midX() : shown.x() - target.x();
        const double dy = item.kind == DisplayItem::Kind::symbol ? shown.midY() - target.midY() : shown.y() - target.y();
        for (auto& r : item.runs) r.origin = {r.origin.x + dx, r.origin.y + dy};
        if (item.kind == DisplayItem::Kind::image) item.imageRect = mapping.mapBounds(item.imageRect);
        if (item.contentShape) item.contentShape = item.contentShape->transformed(mapping);
        if (item.mask) {
            auto mask = std::make_shared<DisplayItem>(*item.mask);
            mask->transform = mask->transform.then(mapping);
            item.mask = std::move(mask);
        }
    }
    if (item.shape && (moved || v[Channel::shapeChannel])) {
        if (const auto* d = v[Channel::shapeChannel]) item.shape = item.shape->withAnimatableData(*d);
        item.path = item.shape->path(shown);
    }
    if (item.clip && (moved || v[Channel::clipChannel])) {
        if (item.clipShape) {
            if (const auto* d = v[Channel::clipChannel]) item.clipShape = item.clipShape->withAnimatableData(*d);
            item.clip = item.clipShape->path(shown);
        } else {
            item.clip = item.clip->transformed(mapping);
        }
    }
    if (item.effect && (moved || v[Channel::effectChannel])) {
        if (const auto* d = v[Channel::effectChannel]) item.effectParameters = *d;
        item.transform = aboutOrigin(item.effect->transform(shown.size, item.effectParameters), shown.origin);
    }
    if (const auto* d = v[Channel::opacityChannel]) item.opacity = clamp01(d->at(0));
    if (const auto* d = v[Channel::blurChannel]) item.blurRadius = std::max(0.0, d->at(0));
    if (const auto* d = v[Channel::saturationChannel]) item.saturation = std::max(0.0, d->at(0));
    if (const auto* d = v[Channel::shadowChannel]; d && d->size() == 7) {
        item.shadow = ShadowEffect{colorAt(*d, 0), std::max(0.0, (*d)[4]), (*d)[5], (*d)[6]};
    }
    if (const auto* d = v[Channel::fillChannel]) setPaint(item.fill, *d);
    if (const auto* d = v[Channel::strokeChannel]) setPaint(item.strokePaint, *d);
    if (const auto* d = v[Channel::textPaintChannel]) setPaint(item.textPaint, *d);
    if (const auto* d = v[Channel::transitionChannel]) applyTransition(item, *d, anchor);
}

// A leaf of text or symbol without its own effects, to stand in a group.
DisplayItem contentPart(const DisplayItem& leaf, std::vector<TextRun> runs) {
    DisplayItem part;
    part.kind = leaf.kind;
    part.role = leaf.role;
    part.frame = leaf.frame;
    part.text = leaf.text;
    part.symbol = leaf.symbol;
    part.textPaint = leaf.textPaint;
    part.runs = std::move(runs);
    return part;
}

// Shows a change of text or symbol `p` of the way through (0: the old content, 1: the new).
void presentSwap(DisplayItem& item, const DisplayItem& old, ContentTransition transition, double p) {
    const double in = clamp01(p), out = 1 - in;
    SharedList<DisplayItem>::Vector parts;
    switch (transition.kind) {
        case ContentTransition::Kind::numericText: {
            // Characters are matched from the end: the same character slides to its new place,
            // a changed one rolls out and its replacement rolls in.
            std::vector<TextRun> kept, entering, leaving;
            const std::size_t n = item.runs.size(), m = old.runs.size();
            std::vector<bool> keptOld(m, false);
            for (std::size_t k = 0; k < n; ++k) {
                const TextRun& r = item.runs[n - 1 - k];
                if (k < m && old.runs[m - 1 - k].text == r.text) {
                    const TextRun& o = old.runs[m - 1 - k];
                    TextRun moving = r;
                    moving.origin = {o.origin.x + (r.origin.x - o.origin.x) * p, o.origin.y + (r.origin.y - o.origin.y) * p};
                    kept.push_back(moving);
                    keptOld[m - 1 - k] = true;
                } else {
                    entering.push_back(r);
                }
            }
            std::reverse(kept.begin(), kept.end());
            std::reverse(entering.begin(), entering.end());
            for (std::size_t k = 0; k < m; ++k)
                if (!keptOld[k]) leaving.push_back(old.runs[k]);
            const double lift = (item.runs.empty() ? old.frame.height() : item.runs.front().font.size) * 0.8;
            const double direction = transition.countsDown ? -1 : 1;
            // The old digits are mostly gone before the new ones are mostly there.
            DisplayItem gone = contentPart(old, std::move(leaving));
            gone.opacity = clamp01(1 - 1.4 * in);
            gone.blurRadius = 2 * in;
            gone.transform = Transform::translation(0, -p * lift * direction);
            DisplayItem come = contentPart(item, std::move(entering));
            come.opacity = clamp01(1.4 * in - 0.4);
            come.blurRadius = 2 * out;
            come.transform = Transform::translation(0, (1 - p) * lift * direction);
            parts.push_back(contentPart(item, std::move(kept)));
            parts.push_back(std::move(gone));
            parts.push_back(std::move(come));
            break;
        }
        case ContentTransition::Kind::symbolReplace: {
            DisplayItem gone = contentPart(old, old.runs);
            gone.opacity = out;
            gone.blurRadius = 3 * in;
            gone.transform = Transform::scale(1 - 0.7 * in, 1 - 0.7 * in).about({old.frame.midX(), old.frame.midY()});
            DisplayItem come = contentPart(item, item.runs);
            const double s = std::max(0.0, 0.3 + 0.7 * p);
            come.opacity = in;
            come.blurRadius = 3 * out;
            come.transform = Transform::scale(s, s).about({item.frame.midX(), item.frame.midY()});
            parts.push_back(std::move(gone));
            parts.push_back(std::move(come));
            break;
        }
        default: {
            DisplayItem gone = contentPart(old, old.runs);
            gone.opacity = out;
            DisplayItem come = contentPart(item, item.runs);
            come.opacity = in;
            parts.push_back(std::move(gone));
            parts.push_back(std::move(come));
            break;
        }
    }
    item.kind = DisplayItem::Kind::group;
    item.runs.clear();
    item.children = std::move(parts);
}

bool isContainer(const DisplayItem& item) {
    const std::string_view role = item.role;
    return role == "HStack" || role == "VStack" || role == "ZStack" || role == "ScrollView" || role == "GeometryReader" ||
           role == "root";
}

// Depth first, this item first; `visit` answers whether to go inside it.
template <class F>
void preorderWhile(const DisplayItem& item, F&& visit) {
    if (!visit(item)) return;
    for (const auto& c : item.children) preorderWhile(c, visit);
}

void clearStamps(DisplayItem& item) {
    item.stamp = 0;
    if (item.children.empty()) return;
    for (auto& c : item.children.edit()) clearStamps(c);
}

}  // namespace

bool Animator::Record::empty() const {
    if (swap) return false;
    return std::all_of(tracks.begin(), tracks.end(), [](const auto& t) { return !t; });
}

Animator::Found Animator::transitionFor(const DisplayItem& root, const Index& index) {
    // On the view itself: the first along its chain of single children (its modifiers).
    for (const DisplayItem* i = &root;; i = &i->children.front()) {
        if (i->transition) return {i->transition.get(), i};
        if (i->children.size() != 1) break;
    }
    // Or on the modifiers around it, as in `content.id(mode).transition(t)`.
    const Place* place = index.find(root.identity.value);
    while (place) {
        const Place* parent = index.find(place->parent);
        if (!parent) break;
        const DisplayItem& p = *parent->item;
        if (p.transition) return {p.transition.get(), &root};
        if (p.children.size() != 1 || isContainer(p)) break;
        place = parent;
    }
    return {nullptr, &root};
}

void Animator::Index::clear(std::size_t expected) {
    size_ = 0;
    if (++generation_ == 0) {
        // After four billion renders, slots of the first generation would seem used again.
        for (auto& slot : slots_) slot.generation = 0;
        generation_ = 1;
    }
    // Twice the room expected, kept while it is not four times more than that.
    std::size_t capacity = 64;
    while (capacity < 2 * expected) capacity *= 2;
    if (slots_.size() < capacity || slots_.size() > 4 * capacity) slots_.assign(capacity, Slot{});
}

std::size_t Animator::Index::slotOf(std::uint64_t id) const {
    // Identities are hashes already, but not all of their bits vary alike: mixed again.
    id ^= id >> 33;
    id *= 0xff51afd7ed558ccdULL;
    id ^= id >> 33;
    return static_cast<std::size_t>(id) & (slots_.size() - 1);
}

bool Animator::Index::emplace(std::uint64_t id, const Place& place) {
    // At most half full, so a probe ends soon.
    if (2 * (size_ + 1) > slots_.size()) grow();
    for (std::size_t i = slotOf(id);; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.generation != generation_) {
            slot = Slot{id, generation_, place};
            ++size_;
            return true;
        }
        if (slot.id == id) return false;
    }
}

const Animator::Place* Animator::Index::find(std::uint64_t id) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = slotOf(id);; i = (i + 1) & (slots_.size() - 1)) {
        const Slot& slot = slots_[i];
        if (slot.generation != generation_) return nullptr;
        if (slot.id == id) return &slot.place;
    }
}

void Animator::Index::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    size_ = 0;
    for (const Slot& slot : old)
        if (slot.generation == generation_) emplace(slot.id, slot.place);
}

void Animator::indexOf(const DisplayItem& root, Index& index) {
    struct Walk {
        Index& index;
        void operator()(const DisplayItem& parent) const {
            for (std::size_t i = 0; i < parent.children.size(); ++i) {
                const DisplayItem& c = parent.children[i];
                Place place{&c, parent.identity.value, std::nullopt, i};
                if (i > 0) place.previousSibling = parent.children[i - 1].identity.value;
                index.emplace(c.identity.value, place);
                (*this)(c);
            }
        }
    };
    index.emplace(root.identity.value, Place{&root, 0, std::nullopt, 0});
    Walk{index}(root);
}

void Animator::compare(const DisplayItem& old, const DisplayItem& now, double time, bool animate) {
    const std::uint64_t id = now.identity.value;
    auto found = records_.find(id);
    Record* record = found == records_.end() ? nullptr : &found->second;
    const std::shared_ptr<const Animation> animation = animate ? now.animation : nullptr;
    for (std::size_t ch = 0; ch < Channel::transitionChannel; ++ch) {
        const ChannelValue a = channelValue(old, ch), b = channelValue(now, ch);
        std::shared_ptr<const AnimationTrack> running = record ? record->tracks[ch] : nullptr;
        if (a.signature != b.signature) {
            if (record) record->tracks[ch].reset();
            continue;
        }
        if (!differs(a.data, b.data)) continue;
        if (!animation) {
            // A change without animation jumps; a motion under way goes on, moved by the jump.
            // One that repeats forever has no end to move: the jump ends it.
            if (running && running->ends() && a.data.size() == b.data.size() &&
                running->target().size() == b.data.size()) {
                AnimatableData delta(b.data.size());
                for (std::size_t k = 0; k < delta.size(); ++k) delta[k] = b.data[k] - a.data[k];
                record->tracks[ch] = running->shifted(delta);
            } else if (record) {
                record->tracks[ch].reset();
            }
            continue;
        }
        AnimatableData from = a.data, velocity, to = b.data;
        if (running) {
            AnimationTrack::Sample s = running->sample(time);
            from = std::move(s.value);
            velocity = std::move(s.velocity);
        }
        if (from.size() != to.size()) {
            velocity.clear();
            const auto fromNeutral = from.empty() ? neutral(ch, to) : std::nullopt;
            const auto toNeutral = to.empty() ? neutral(ch, from) : std::nullopt;
            if (fromNeutral) from = *fromNeutral;
            else if (toNeutral) to = *toNeutral;
            else {
                if (record) record->tracks[ch].reset();
                continue;
            }
        }
        if (velocity.size() != to.size()) velocity.assign(to.size(), 0.0);
        if (!record) record = &records_[id];
        record->tracks[ch] = std::make_shared<const AnimationTrack>(
            *animation, std::move(from), std::move(to), std::move(velocity), time, running,
            ch == frameChannel ? frameRest : Spring::rest);
    }

    const bool textChanged = now.kind == DisplayItem::Kind::text && old.kind == DisplayItem::Kind::text && now.text != old.text;
    const bool symbolChanged =
        now.kind == DisplayItem::Kind::symbol && old.kind == DisplayItem::Kind::symbol && now.symbol != old.symbol;
    if (textChanged || symbolChanged) {
        if (animation && now.contentTransition.kind != ContentTransition::Kind::identity) {
            if (!record) record = &records_[id];
            DisplayItem previous = old;
            previous.children.clear();
            record->swap = ContentSwap{std::move(previous),
                                       std::make_shared<const AnimationTrack>(*animation, AnimatableData{0}, AnimatableData{1},
                                                                              AnimatableData{0}, time),
                                       now.contentTransition};
        } else if (record) {
            record->swap.reset();
        }
    }
    if (record && record->empty()) records_.erase(id);
}

void Animator::insert(const DisplayItem& item, const Index& index, double time, bool animate) {
    const auto [transition, target] = transitionFor(item, index);
    if (transition && transition->isIdentity()) return;
    std::shared_ptr<const Animation> animation =
        transition && transition->insertionAnimation() ? transition->insertionAnimation() : item.animation;
    if (!animate || !animation) return;
    const DisplayItem& moved = *target;
    const TransitionState state = transition ? transition->insertion() : AnyTransition::opacity().insertion();
    Record& record = records_[moved.identity.value];
    record.tracks[Channel::transitionChannel] = std::make_shared<const AnimationTrack>(
        *animation, state.resolved(moved.frame.size), TransitionState::identity(), AnimatableData(6, 0.0), time);
    record.transitionAnchor = state.anchor;
}

void Animator::remove(const Place& place, const Index& next, double time, bool animate) {
    const DisplayItem& item = *place.item;
    const auto [transition, target] = transitionFor(item, index_);
    if (transition && transition->isIdentity()) return;
    const Place* parent = next.find(place.parent);
    if (!parent) return;
    std::shared_ptr<const Animation> animation = transition && transition->removalAnimation()
                                                     ? transition->removalAnimation()
                                                     : parent->item->animation;
    if (!animate || !animation) return;
    const DisplayItem& moved = *target;
    const TransitionState state = transition ? transition->removal() : AnyTransition::opacity().removal();

    Ghost ghost;
    ghost.parent = place.parent;
    ghost.previousSibling = place.previousSibling;
    ghost.index = place.index;
    ghost.transitionTarget = moved.identity.value;
    ghost.anchor = state.anchor;
    AnimatableData from = TransitionState::identity();
    const auto record = records_.find(moved.identity.value);
    const auto& entering = record != records_.end() ? record->second.tracks[Channel::transitionChannel] : nullptr;
    if (entering) {
        // Leaving while still coming in: from where the entrance stands, without its effect
        // applied twice.
        from = entering->sample(time).value;
        ghost.item = item;
    } else {
        const DisplayItem* shown = shownIsTarget_ || !shown_ ? nullptr : shown_->findIdentity(item.identity);
        ghost.item = shown ? *shown : item;
    }
    ghost.item.inert = true;
    ghost.track = std::make_shared<const AnimationTrack>(*animation, std::move(from), state.resolved(moved.frame.size),
                                                         AnimatableData(6, 0.0), time);
    ghosts_.push_back(std::move(ghost));
}

void Animator::update(DisplayItem target, double now, bool animate) {
    presentedAt_.reset();
    // A kept block: an item is over 1 KiB (block_pool.h).
    auto next = blocks::makeShared<DisplayItem>(std::move(target));
    // A list is mostly as large as the one before it: room is made for it at once.
    Index& nextIndex = nextIndex_;
    nextIndex.clear(index_.size());
    indexOf(*next, nextIndex);
    // A view that comes back while it leaves is a new view: the leaving copy goes.
    std::erase_if(ghosts_, [&](const Ghost& g) { return nextIndex.contains(g.item.identity.value); });

    // A subtree drawn as in the last render (the same stamp) holds no change, no view that
    // comes and none that goes: it is not looked into.
    const auto unchanged = [](const DisplayItem& a, const DisplayItem& b) { return a.stamp != 0 && a.stamp == b.stamp; };
    preorderWhile(*next, [&](const DisplayItem& item) {
        const Place* placed = nextIndex.find(item.identity.value);
        if (!placed || placed->item != &item) return true;  // a repeated identity
        if (const Place* old = index_.find(item.identity.value)) {
            if (unchanged(*old->item, item)) return false;
            // Without an animation and with nothing moving, a change just shows: nothing to compare.
            if ((animate && item.animation) || records_.contains(item.identity.value))
                compare(*old->item, item, now, animate);
        } else if (index_.contains(placed->parent))
            insert(item, nextIndex, now, animate);
        return true;
    });
    std::vector<std::uint64_t> gone;
    preorderWhile(*target_, [&](const DisplayItem& item) {
        const Place* placed = index_.find(item.identity.value);
        if (!placed || placed->item != &item) return true;
        if (const Place* kept = nextIndex.find(item.identity.value)) return !unchanged(item, *kept->item);
        gone.push_back(item.identity.value);
        if (nextIndex.contains(placed->parent)) remove(*placed, nextIndex, now, animate);
        return true;
    });
    for (const auto id : gone) records_.erase(id);

    target_ = std::move(next);
    std::swap(index_, nextIndex_);
}

std::optional<DisplayItem> Animator::applied(const DisplayItem& item, double now, bool tidy) {
    std::optional<DisplayItem> out;
    if (const auto found = records_.find(item.identity.value); found != records_.end()) {
        out.emplace(item);
        Record& record = found->second;
        Values values{};
        std::array<AnimatableData, channelCount> samples;
        for (std::size_t ch = 0; ch < channelCount; ++ch) {
            auto& track = record.tracks[ch];
            if (!track) continue;
            AnimationTrack::Sample s = track->sample(now);
            if (s.finished) {
                // At its end a track stands at the target, which the item already holds.
                if (tidy) track.reset();
                continue;
            }
            samples[ch] = std::move(s.value);
            values[ch] = &samples[ch];
        }
        applyValues(*out, values, record.transitionAnchor);
        if (record.swap) {
            const AnimationTrack::Sample s = record.swap->progress->sample(now);
            if (!s.finished)
                presentSwap(*out, record.swap->old, record.swap->transition, s.value.at(0));
            else if (tidy)
                record.swap.reset();
        }
        if (tidy && record.empty()) records_.erase(found);
    }
    // Only the lists on the way to an item that moves are made again (the items that move
    // taken in, the others copied); the lists below them stay shared.
    const SharedList<DisplayItem>& children = (out ? *out : item).children;
    std::vector<std::pair<std::size_t, DisplayItem>> moved;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (std::optional<DisplayItem> child = applied(children[i], now, tidy))
            moved.emplace_back(i, std::move(*child));
    if (!moved.empty()) {
        SharedList<DisplayItem>::Vector next;
        next.reserve(children.size());
        auto m = moved.begin();
        for (std::size_t i = 0; i < children.size(); ++i)
            next.push_back(m != moved.end() && m->first == i ? std::move((m++)->second) : children[i]);
        if (!out) out.emplace(item);
        out->children = std::move(next);
    }
    if (out) out->stamp = 0;
    return out;
}

const DisplayItem& Animator::present(double now) {
    // Asked again for the same moment, the list is the one given then: what was found in it
    // stays where it was.
    if (!shownIsTarget_ && shown_ && presentedAt_ == now) return *shown_;
    presentedAt_ = now;
    if (!isAnimating()) {
        shownIsTarget_ = true;
        return *target_;
    }
    // The list shown before is overwritten in place, unless someone still holds it (a window
    // compares the next one with it): then it is left as it was.
    std::optional<DisplayItem> moved = applied(*target_, now, true);
    if (!shown_ || shown_.use_count() > 1)
        shown_ = std::make_shared<DisplayItem>(moved ? std::move(*moved) : *target_);
    else
        *shown_ = moved ? std::move(*moved) : *target_;
    shownIsTarget_ = false;
    placeGhosts(*shown_, now, true);
    return *shown_;
}

DisplayItem Animator::shownAt(double at) {
    if (!isAnimating()) return *target_;
    std::optional<DisplayItem> moved = applied(*target_, at, false);
    DisplayItem out = moved ? std::move(*moved) : *target_;
    placeGhosts(out, at, false);
    return out;
}

std::vector<double> Animator::turningTimes(double now) const {
    std::vector<double> times;
    const auto add = [&](const std::shared_ptr<const AnimationTrack>& track) {
        if (!track) return;
        for (const double t : track->turningTimes(now))
            if (t > now) times.push_back(t);
    };
    for (const auto& [id, record] : records_) {
        for (const auto& track : record.tracks) add(track);
        if (record.swap) add(record.swap->progress);
    }
    for (const Ghost& ghost : ghosts_) add(ghost.track);
    std::sort(times.begin(), times.end());
    // The motions of one change share their spring: their turns fall together.
    constexpr double together = 1.0 / 240;
    times.erase(std::unique(times.begin(), times.end(), [](double a, double b) { return b - a < together; }),
                times.end());
    return times;
}

void Animator::postpone(double now, double seconds) {
    const auto hold = [&](std::shared_ptr<const AnimationTrack>& track) {
        if (track) track = track->postponed(now, seconds);
    };
    for (auto& [id, record] : records_) {
        for (auto& track : record.tracks) hold(track);
        if (record.swap) hold(record.swap->progress);
    }
    for (Ghost& ghost : ghosts_) hold(ghost.track);
    presentedAt_.reset();
}

void Animator::placeGhosts(DisplayItem& root, double now, bool tidy) {
    const auto place = [&](const Ghost& ghost) {
        const AnimationTrack::Sample s = ghost.track->sample(now);
        if (s.finished) return true;
        DisplayItem* parent = findMutable(root, ghost.parent, true);
        if (!parent) return true;
        DisplayItem copy = ghost.item;
        clearStamps(copy);
        if (DisplayItem* moved = findMutable(copy, ghost.transitionTarget))
            applyTransition(*moved, s.value, ghost.anchor);
        auto& siblings = parent->children.edit();
        std::size_t at = std::min(ghost.index, siblings.size());
        if (ghost.previousSibling) {
            const auto it = std::find_if(siblings.begin(), siblings.end(), [&](const DisplayItem& c) {
                return c.identity.value == *ghost.previousSibling;
            });
            if (it != siblings.end()) at = static_cast<std::size_t>(it - siblings.begin()) + 1;
        }
        siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), std::move(copy));
        return false;
    };
    if (tidy)
        std::erase_if(ghosts_, place);
    else
        for (const Ghost& ghost : ghosts_) place(ghost);
}

}  // namespace quorlix::ui
