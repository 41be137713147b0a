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
        lost ? "Quorlix se actualizó y macOS pide confirmar el permiso otra vez. Toma dos segundos."
             : "Quorlix necesita Accesibilidad para leer las teclas de volumen y brillo, saber si prendes No "
               "molestar y entender tus gestos sobre el notch.";
    t.detail = granted ? "Listo" : "Configuración del Sistema › Privacidad › Accesibilidad";
    if (!granted) t.hint = "Si Quorlix ya aparece en la lista, apágalo y vuélvelo a prender.";
    t.buttonTitle = granted ? "Continuar" : "Después";
    t.buttonOpacity = granted ? 1.0 : 0.85;
    if (!granted && !grantable) {
        // Nothing to put off: the step only tells, and leads on.
        t.detail = "No disponible en Wayland";
        t.hint = unavailableNote;
        t.buttonTitle = "Continuar";
        t.buttonOpacity = 1.0;
    }
    return t;
}

}  // namespace quorlix
