#pragma once
// A single-line text field, for the few text inputs of the settings window, or read-only for
// a text the user may select and copy. Windows show a native field (QLineEdit) over it and
// keep it in step with the binding; a picture of the view (snapshots) shows the text or the
// placeholder in its place.
//
//     TextField("Buscar", query.binding(), {.plain = true, .focused = searchFocused.binding()})
//         .font(Font::system(13))

#include "ui/color.h"
#include "ui/font.h"
#include "ui/state.h"
#include "ui/view.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlix::ui {

struct TextFieldOptions {
    bool plain = false;                    // no border or background of its own
    std::function<void()> onSubmit;        // Return pressed in the field
    std::optional<Binding<bool>> focused;  // the field has the keyboard focus
    bool readOnly = false;                 // the text can be selected and copied, not edited
};

// What a window host needs to show the native field: read at each render.
struct EmbeddedView {
    std::string placeholder;
    std::string text;
    std::function<void(std::string)> setText;
    std::function<void()> onSubmit;
    std::optional<Binding<bool>> focused;
    bool plain = false;
    bool readOnly = false;
    Font font;
    Color color;
    bool enabled = true;
};

View TextField(std::string placeholder, Binding<std::string> text, TextFieldOptions options = {});

}  // namespace quorlix::ui
