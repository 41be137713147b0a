// Buttons, pop-up menus and the interaction modifiers.

#include "ui/interaction.h"
#include "ui/block_pool.h"

#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

namespace quorlix::ui {

namespace {

class InteractionElement final : public PassElement {
public:
    InteractionElement(const BuildScope& s, const char* role, std::shared_ptr<const Interaction> interaction)
        : PassElement(s, role), interaction_(s.environment[env::isEnabled] ? std::move(interaction) : nullptr) {}

protected:
    void decorate(DisplayItem& item, Point) const override { item.interaction = interaction_; }

private:
    std::shared_ptr<const Interaction> interaction_;
};

// A button or a menu button: its style's body around the label, pressed while a press on it lasts.
class ButtonNode final : public Node {
public:
    ButtonNode(View label, std::function<void()> action, std::vector<MenuItem> menu)
        : label_(std::move(label)), action_(std::move(action)), menu_(std::move(menu)) {}

    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto pressedBox = scope.services && scope.services->store
                              ? scope.services->store->box<bool>(detail::slotKey(scope, 0x7072657373ULL), [] { return false; })
                              : std::make_shared<detail::StateBox<bool>>();
        const State<bool> pressed(pressedBox);
        auto interaction = std::make_shared<Interaction>();
        interaction->setPressed = [pressed](bool on) { pressed = on; };
        if (menu_.empty()) {
            interaction->buttonAction = action_;
            interaction->isDefaultAction =
                scope.environment[env::keyboardShortcut] == KeyboardShortcut::defaultAction;
        } else {
            interaction->popUpMenu = menu_;
        }
        const auto& style = scope.environment[env::buttonStyle];
        const ButtonStyleConfiguration configuration{label_, pressed.get()};
        const View body = style ? (*style)(configuration) : PlainButtonStyle{}.makeBody(configuration);
        auto e = std::make_unique<InteractionElement>(scope, menu_.empty() ? "Button" : "Menu", std::move(interaction));
        e->add(buildElement(body.node(), scope.child(1)));
        return e;
    }

private:
    View label_;
    std::function<void()> action_;
    std::vector<MenuItem> menu_;
};

}  // namespace

View Button(View label, std::function<void()> action) {
    return View(blocks::makeShared<ButtonNode>(std::move(label), std::move(action), std::vector<MenuItem>{}));
}

View Button(std::string title, std::function<void()> action) { return Button(Text(std::move(title)), std::move(action)); }

View Menu(View label, std::vector<MenuItem> items) {
    return View(blocks::makeShared<ButtonNode>(std::move(label), nullptr, std::move(items)));
}

View modifier::interaction(View v, Interaction interaction) {
    auto shared = std::make_shared<const Interaction>(std::move(interaction));
    return wrap(std::move(v), [shared](const BuildScope& s) {
        return std::make_unique<InteractionElement>(s, "interaction", shared);
    });
}

View modifier::disabled(View v, bool disabled) {
    return modifier::environment(std::move(v), [disabled](const EnvironmentValues& e) {
        return e.setting(env::isEnabled, e[env::isEnabled] && !disabled);
    });
}

View modifier::buttonStyle(View v, std::shared_ptr<const ButtonStyleBody> style) {
    return modifier::environment(std::move(v), [style = std::move(style)](const EnvironmentValues& e) {
        return e.setting(env::buttonStyle, style);
    });
}

View modifier::keyboardShortcut(View v, KeyboardShortcut shortcut) {
    return modifier::environment(std::move(v), [shortcut](const EnvironmentValues& e) {
        return e.setting(env::keyboardShortcut, std::optional<KeyboardShortcut>(shortcut));
    });
}

}  // namespace quorlix::ui
