#include "settings/onboarding_steps.h"

namespace quorlix {

int OnboardingSteps::appeared(int step, bool startAtPermission) {
    return startAtPermission ? permission : step;
}

std::optional<int> OnboardingSteps::next(int step) {
    if (step == welcome) return permission;
    if (step == permission) return gestures;
    return std::nullopt;
}

PermissionStepTexts PermissionStepTexts::make(bool granted, bool lost, bool grantable) {
    PermissionStepTexts t;
    t.badgeSymbol = granted ? "checkmark.shield.fill" : "hand.raised.fill";
    t.title = lost ? "Vuelve a dar el permiso" : "Un permiso y listo";
    t.body =
        lost ? "Quorlix se actualizó y el sistema pide confirmar el permiso otra vez. Toma dos segundos."
             : "Quorlix necesita Accesibilidad para leer las teclas de volumen y brillo, saber si prendes No "
               "molestar y entender tus gestos sobre el notch.";
    // On X11 the trust is the session's own: a program that reaches the display has it.
    t.detail = granted ? "Listo" : "Se da solo en una sesión X11";
    if (!granted) t.hint = "Si abriste Quorlix fuera de tu sesión, ciérralo y vuélvelo a abrir.";
    t.buttonTitle = granted ? "Continuar" : "Después";
    t.buttonOpacity = granted ? 1.0 : 0.85;
    if (!granted && !grantable) {
        // Nothing to ask for or put off: the step only tells what stays with the desktop, and
        // leads on.
        t.title = "Teclas del escritorio";
        t.body =
            "En Wayland no hay permiso que dar. No molestar y tus gestos sobre el notch funcionan igual.";
        t.detail = "No disponible en Wayland";
        t.hint = unavailableNote;
        t.buttonTitle = "Continuar";
        t.buttonOpacity = 1.0;
    }
    return t;
}

}  // namespace quorlix
