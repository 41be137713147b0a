#pragma once
// Two controls that choose one value of a small set (a settings enum) and write it straight
// into a binding. Neither knows the options: captions, labels and previews come from the
// pane. Pressing an option writes it even when it is already chosen; a bound value that is
// none of the options marks none. Disabled, a control is drawn at half opacity and ignores
// presses, its choice still marked.
//
// `StylePicker`: a caption, then a strip of cards over the blurred desktop picture, each
// with a caption, a preview and a dot under the chosen one.
//
//     StylePicker<BatteryStyle>{.title = "Estilo de batería", .options = {outline, filled},
//         .selection = settingBinding(settings.batteryStyle), .label = ..., .preview = ..., .height = 108}
//
// `ChoiceButtons`: a row of equal-width rounded buttons, the chosen one lit.
//
//     ChoiceButtons<IslandOpenMode>{.options = {hover, click}, .selection =
//     settingBinding(settings.openMode),
//         .height = 36, .label = [](IslandOpenMode mode, bool selected) { ... }}

#include "settings/wallpaper.h"
#include "ui/ui.h"

#include <functional>
#include <string>
#include <vector>

namespace quorlix {

// One plain button per option, its face drawn by `face(option, selected)`; a press writes its
// option into `selection` with `animation`.
template <class Option, class Face>
ui::Views optionButtons(const std::vector<Option>& options, const ui::Binding<Option>& selection,
                        const ui::Animation& animation, Face face) {
    using namespace ui;
    const Option current = selection.get();
    Views buttons;
    for (const Option& option : options) {
        buttons.push_back(Button(face(option, option == current), [binding = selection, option, animation] {
                              withAnimation(animation, [&] { binding.set(option); });
                          }).buttonStyle(PlainButtonStyle{}));
    }
    return buttons;
}

template <class Option>
struct StylePicker {
    std::string title;
    std::vector<Option> options;
    ui::Binding<Option> selection;
    std::function<std::string(const Option&)> label;
    std::function<ui::View(const Option&, bool selected)> preview;
    double height = 108;
    bool disabled = false;

    ui::View body(ui::Context&) const {
        using namespace ui;
        Views cards = optionButtons(
            options, selection, Animation::spring(0.35, 0.72), [&](const Option& option, bool selected) {
                return VStack({.alignment = HorizontalAlignment::center, .spacing = 9},
                              {
                                  Text(label(option))
                                      .font(Font::system(11, FontWeight::semibold))
                                      .foregroundStyle(Color::white.opacity(selected ? 0.95 : 0.6)),
                                  preview(option, selected)
                                      .frame({.height = 40})
                                      .scaleEffect(selected ? 1.06 : 0.94)
                                      .opacity(selected ? 1.0 : 0.75),
                                  Circle()
                                      .fill(Color::white)
                                      .frame({.width = 4.5, .height = 4.5})
                                      .opacity(selected ? 1 : 0)
                                      .scaleEffect(selected ? 1.0 : 0.2),
                              })
                    .frame({.maxWidth = infinity, .maxHeight = infinity})
                    .contentShape(Rectangle());
            });
        return VStack({.alignment = HorizontalAlignment::leading, .spacing = 12},
                      {
                          Text(title)
                              .font(Font::system(13.5, FontWeight::medium))
                              .foregroundStyle(Color::white.opacity(0.92)),
                          HStack({.alignment = VerticalAlignment::center, .spacing = 0}, std::move(cards))
                              .padding(Edges::horizontal, 12)
                              .frame({.height = height})
                              // The border goes under the cards: drawn over them, its shape
                              // would take their presses.
                              .background(ZStack({
                                  WallpaperBackdrop{.blur = 16, .dim = 0.15},
                                  RoundedRectangle(20, RoundedCornerStyle::continuous)
                                      .strokeBorder(Color::white.opacity(0.14), 0.7),
                              }))
                              .clipShape(RoundedRectangle(20, RoundedCornerStyle::continuous))
                              .shadow(Color::black.opacity(0.3), 10, 0, 4)
                              .id("picker.strip")
                              .padding(Edges::horizontal, 18)
                              .disabled(disabled)
                              .opacity(disabled ? 0.5 : 1.0),
                      })
            .padding(Edges::vertical, 15);
    }
};

template <class Option>
struct ChoiceButtons {
    std::vector<Option> options;
    ui::Binding<Option> selection;
    double height = 36;
    bool disabled = false;
    std::function<ui::View(const Option&, bool selected)> label;

    ui::View body(ui::Context&) const {
        using namespace ui;
        Views buttons = optionButtons(
            options, selection, Animation::easeOut(0.15), [&](const Option& option, bool selected) {
                return label(option, selected)
                    .foregroundStyle(Color::white.opacity(selected ? 1.0 : 0.62))
                    .frame({.maxWidth = infinity})
                    .frame({.height = height})
                    .background(RoundedRectangle(13, RoundedCornerStyle::continuous)
                                    .fill(Color::white.opacity(selected ? 0.2 : 0.06)))
                    .overlay(
                        RoundedRectangle(13, RoundedCornerStyle::continuous)
                            .strokeBorder(Color::white.opacity(selected ? 0.34 : 0.09), selected ? 1.0 : 0.6))
                    .contentShape(Rectangle());
            });
        return HStack({.alignment = VerticalAlignment::center, .spacing = 8}, std::move(buttons))
            .disabled(disabled)
            .opacity(disabled ? 0.5 : 1.0);
    }
};

}  // namespace quorlix
