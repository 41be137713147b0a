#include "ui/text_field.h"
#include "ui/block_pool.h"

#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/views.h"

namespace quorlix::ui {

namespace {

class EmbeddedElement final : public PassElement {
public:
    EmbeddedElement(const BuildScope& s, std::shared_ptr<const EmbeddedView> view)
        : PassElement(s, "TextField"), view_(std::move(view)) {}

protected:
    void decorate(DisplayItem& item, Point) const override { item.embedded = view_; }

private:
    std::shared_ptr<const EmbeddedView> view_;
};

class TextFieldNode final : public Node {
public:
    TextFieldNode(std::string placeholder, Binding<std::string> text, TextFieldOptions options)
        : placeholder_(std::move(placeholder)), text_(std::move(text)), options_(std::move(options)) {}

    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        const EnvironmentValues& e = scope.environment;
        auto view = std::make_shared<EmbeddedView>();
        view->placeholder = placeholder_;
        view->text = text_.get();
        if (!options_.readOnly)
            view->setText = [binding = text_](std::string t) { binding.set(std::move(t)); };
        view->onSubmit = options_.onSubmit;
        view->focused = options_.focused;
        view->plain = options_.plain;
        view->readOnly = options_.readOnly;
        view->font = env::currentFont(e);
        const Paint paint = Paint::resolve(env::currentForeground(e), {}, e[env::colorScheme]);
        view->color = paint.kind == Paint::Kind::solid ? paint.color : Color::white;
        view->enabled = e[env::isEnabled];

        // Drawn in place of the native field where there is none (pictures of the view): the
        // field's box first, its text second (a window leaves the text to the native field).
        const bool empty = view->text.empty();
        const double height = view->font.size * 1.25 + (options_.plain ? 2 : 8);
        const View box = options_.plain ? View(Color::clear)
                                        : View(RoundedRectangle(5).fill(Color::white.opacity(0.08))
                                                   .overlay(RoundedRectangle(5).strokeBorder(Color::white.opacity(0.18), 1)));
        const View text = Text(empty ? placeholder_ : view->text)
                              .foregroundStyle(empty ? ShapeStyle::secondary() : ShapeStyle(view->color))
                              .lineLimit(1)
                              .padding(Edges::horizontal, options_.plain ? 0 : 6)
                              .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading});
        auto element = std::make_unique<EmbeddedElement>(scope, std::move(view));
        element->add(buildElement(box.frame({.maxWidth = infinity, .minHeight = height, .maxHeight = height}).node(),
                                  scope.child(1)));
        element->add(buildElement(text.node(), scope.child(2)));
        return element;
    }

private:
    std::string placeholder_;
    Binding<std::string> text_;
    TextFieldOptions options_;
};

}  // namespace

View TextField(std::string placeholder, Binding<std::string> text, TextFieldOptions options) {
    return View(
        blocks::makeShared<TextFieldNode>(std::move(placeholder), std::move(text), std::move(options)));
}

}  // namespace quorlix::ui
