#pragma once
// The rules of the onboarding's three steps, kept apart from their views: which step shows,
// where each step's primary button (and Return) leads, and what the permission step says.
//
// The steps go forward only: welcome (0) -> the permission (1) -> the gestures (2) -> done.
// A view that comes on screen asked to start at the permission jumps there. The permission
// can be put off; the gestures step cannot be skipped.

#include <optional>
#include <string>

namespace quorlix {

struct OnboardingSteps {
    static constexpr int welcome = 0;
    static constexpr int permission = 1;
    // Any other value shows the gestures; only 2 is ever stored.
    static constexpr int gestures = 2;

    // The step once the view has come on screen.
    static int appeared(int step, bool startAtPermission);
    // Where the primary button of `step` leads: the next step, or nothing when it ends the
    // onboarding.
    static std::optional<int> next(int step);
};

// What the permission step shows, by whether the trust is granted, whether it was lost with
// an update, and whether it can be granted at all (not in a Wayland session: then the step
// says once what does not work there, and offers nothing to press for it).
struct PermissionStepTexts {
    // What a session whose trust can never be granted goes without.
    static constexpr const char* unavailableNote =
        "En una sesión Wayland, Quorlix no recibe las teclas de volumen y brillo: el sistema muestra "
        "sus propios avisos.";

    std::string badgeSymbol;
    std::string title;
    std::string body;
    // The permission row's second line.
    std::string detail;
    // The line under the card while the trust is missing.
    std::optional<std::string> hint;
    std::string buttonTitle;
    double buttonOpacity = 1;

    static PermissionStepTexts make(bool granted, bool lost, bool grantable = true);
};

}  // namespace quorlix
