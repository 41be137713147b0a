// Life-in-the-tree modifiers (appear, disappear, change, task, preference change), the
// implicit animation modifier, transitions and content transitions.

#include "ui/lifecycle.h"
#include "ui/block_pool.h"

#include "ui/animation_modifier.h"
#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/transition.h"

namespace quorlix::ui {

namespace {

// Values are remembered under the identity of the modifier's element.
ValueWatch watchOf(const BuildScope& s) {
    return {*s.services->store, detail::slotKey(s, 0x7761746368ULL),
            [services = s.services](std::function<void()> f) { services->afterRender(std::move(f)); }};
}

bool canWatch(const BuildScope& s) { return s.services && s.services->store; }

// Registers what the view asks of its life when it is built.
class LifecycleElement final : public PassElement {
public:
    LifecycleElement(const BuildScope& s, Lifecycle lifecycle)
        : PassElement(s, "lifecycle"), lifecycle_(std::move(lifecycle)) {
        lifecycle_.identity = identity;
    }
    Lifecycle* lifecycle() override { return &lifecycle_; }

private:
    Lifecycle lifecycle_;
};

// Runs a check of the view's value at each build.
class CheckElement final : public PassElement {
public:
    CheckElement(const BuildScope& s, const char* role, const std::function<void(ValueWatch&)>& check)
        : PassElement(s, role) {
        if (!canWatch(s)) return;
        ValueWatch w = watchOf(s);
        check(w);
    }
};

class PreferenceWatchElement final : public PassElement {
public:
    using Check = std::function<void(ValueWatch&, const void*)>;
    PreferenceWatchElement(const BuildScope& s, const PreferenceKeyBase& key, Check check)
        : PassElement(s, "onPreferenceChange"), scope_(s), key_(key), check_(std::move(check)) {}
    bool placesAtEveryRender() const override { return true; }

protected:
    void placeChildren(Size size) override {
        PassElement::placeChildren(size);
        if (!canWatch(scope_)) return;
        const BuildingFor building(services, owner);
        // Known once the content is placed (anchors and geometry included).
        PreferenceValues values;
        collectPreferences(values);
        const auto* found = values.find(&key_);
        ValueWatch w = watchOf(scope_);
        check_(w, found ? found->get() : key_.defaultValue());
    }

private:
    BuildScope scope_;
    const PreferenceKeyBase& key_;
    Check check_;
};

// Sets the animation of its content's transaction when its value changed. It has an element
// of its own, so that nested ones remember their values apart.
class AnimationNode final : public Node {
public:
    using Changed = std::function<bool(ValueWatch&)>;
    AnimationNode(View content, std::shared_ptr<const Animation> animation, Changed changed)
        : content_(std::move(content)), animation_(std::move(animation)), changed_(std::move(changed)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        BuildScope inner = scope.child(1);
        if (canWatch(scope)) {
            ValueWatch w = watchOf(scope);
            if (changed_(w)) inner = inner.withAnimation(animation_);
        }
        auto e = std::make_unique<PassElement>(scope, "animation");
        e->add(buildElement(content_.node(), inner));
        return e;
    }

private:
    View content_;
    std::shared_ptr<const Animation> animation_;
    Changed changed_;
};

class TransitionElement final : public PassElement {
public:
    TransitionElement(const BuildScope& s, std::shared_ptr<const AnyTransition> transition)
        : PassElement(s, "transition"), transition_(std::move(transition)) {}

protected:
    void decorate(DisplayItem& item, Point) const override { item.transition = transition_; }

private:
    std::shared_ptr<const AnyTransition> transition_;
};

}  // namespace

View modifier::onAppear(View v, std::function<void()> action) {
    return wrap(std::move(v), [action = std::move(action)](const BuildScope& s) {
        return std::make_unique<LifecycleElement>(s, Lifecycle{{}, action, {}, {}, false});
    });
}

View modifier::onDisappear(View v, std::function<void()> action) {
    return wrap(std::move(v), [action = std::move(action)](const BuildScope& s) {
        return std::make_unique<LifecycleElement>(s, Lifecycle{{}, {}, action, {}, false});
    });
}

View modifier::onChange(View v, std::function<void(ValueWatch&)> check) {
    return wrap(std::move(v), [check = std::move(check)](const BuildScope& s) {
        return std::make_unique<CheckElement>(s, "onChange", check);
    });
}

View modifier::task(View v, std::function<bool(ValueWatch&)> changed, std::function<void(ViewTask&)> start) {
    return wrap(std::move(v), [changed = std::move(changed), start = std::move(start)](const BuildScope& s) {
        bool restart = false;
        if (canWatch(s)) {
            ValueWatch w = watchOf(s);
            restart = changed(w);
        }
        return std::make_unique<LifecycleElement>(s, Lifecycle{{}, {}, {}, start, restart});
    });
}

View modifier::onPreferenceChange(View v, const PreferenceKeyBase& key,
                                  std::function<void(ValueWatch&, const void*)> check) {
    return wrap(std::move(v), [&key, check = std::move(check)](const BuildScope& s) {
        return std::make_unique<PreferenceWatchElement>(s, key, check);
    });
}

View modifier::animation(View v, const std::optional<Animation>& animation, std::function<bool(ValueWatch&)> changed) {
    return View(blocks::makeShared<AnimationNode>(
        std::move(v), animation ? std::make_shared<const Animation>(*animation) : nullptr,
        std::move(changed)));
}

View modifier::transition(View v, const AnyTransition& transition) {
    auto shared = std::make_shared<const AnyTransition>(transition);
    return wrap(std::move(v), [shared](const BuildScope& s) { return std::make_unique<TransitionElement>(s, shared); });
}

View modifier::contentTransition(View v, const ContentTransition& transition) {
    return modifier::environment(std::move(v), [transition](const EnvironmentValues& e) {
        return e.setting(env::contentTransition, transition);
    });
}

}  // namespace quorlix::ui
