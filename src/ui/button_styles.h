#pragma once
// The platform's bordered button styles, for the settings window's push buttons, and the
// control size that shrinks them.
//
//     Button("Buscar actualizaciones", check).buttonStyle(BorderedButtonStyle{})
//     Button("Instalar", install).buttonStyle(BorderedProminentButtonStyle{})
//         .environment(env::controlSize, ControlSize::small)
//
// Bordered: a faint rounded fill behind the label, brighter while pressed. Prominent: filled
// with the tint (the system blue without one), the label white. Disabled buttons are dimmed.

#include "ui/environment.h"
#include "ui/interaction.h"
#include "ui/progress_view.h"
#include "ui/view.h"

namespace quorlix::ui {

namespace env {
inline const EnvironmentKey<ControlSize> controlSize{ControlSize::regular};
}

struct BorderedButtonStyle {
    View makeBody(const ButtonStyleConfiguration& configuration) const;
};

struct BorderedProminentButtonStyle {
    View makeBody(const ButtonStyleConfiguration& configuration) const;
};

}  // namespace quorlix::ui
