#pragma once
// The environment values the layer itself reads: text and symbol styling, colour scheme, tint.
// Written through the modifiers of the same names (`font`, `foregroundStyle`, `lineLimit`, ...).

#include "ui/color.h"
#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/views.h"

#include <optional>

namespace quorlix::ui::env {

inline const EnvironmentKey<std::optional<Font>> font{std::nullopt};
inline const EnvironmentKey<std::optional<FontWeight>> fontWeight{std::nullopt};
inline const EnvironmentKey<bool> monospacedDigit{false};
inline const EnvironmentKey<std::optional<ShapeStyle>> foregroundStyle{std::nullopt};
inline const EnvironmentKey<std::optional<int>> lineLimit{std::nullopt};
inline const EnvironmentKey<double> minimumScaleFactor{1.0};
inline const EnvironmentKey<TruncationMode> truncationMode{TruncationMode::tail};
inline const EnvironmentKey<TextAlignment> multilineTextAlignment{TextAlignment::leading};
inline const EnvironmentKey<ColorScheme> colorScheme{ColorScheme::light};
inline const EnvironmentKey<std::optional<Color>> tint{std::nullopt};
inline const EnvironmentKey<SymbolRenderingMode> symbolRenderingMode{SymbolRenderingMode::monochrome};
inline const EnvironmentKey<ContentTransition> contentTransition{ContentTransition{}};
// False below a `disabled(true)`: controls and gestures there do not respond.
inline const EnvironmentKey<bool> isEnabled{true};
// The button style in force (none: the plain style).
inline const EnvironmentKey<std::shared_ptr<const ButtonStyleBody>> buttonStyle{nullptr};
// The key that presses the buttons here, if any.
inline const EnvironmentKey<std::optional<KeyboardShortcut>> keyboardShortcut{std::nullopt};

// The font in force: the environment's font (body by default) with the weight and digit
// overrides applied.
Font currentFont(const EnvironmentValues& values);
// The foreground style in force (primary by default).
ShapeStyle currentForeground(const EnvironmentValues& values);

}  // namespace quorlix::ui::env
