#include "foundation/settings_section.h"

namespace quorlix {

namespace {

struct SectionText {
    std::string_view title;
    std::string_view symbol;
    std::string_view keywords;
};

SectionText text(SettingsSection section) {
    switch (section) {
        case SettingsSection::general:
            return {"General", "gearshape",
                    "general inicio pantalla notch isla gestos abrir clic mouse tamaño ancho alto menú"};
        case SettingsSection::media:
            return {"Música", "play.fill",
                    "música musica spotify reproductor portada aleatorio botón pausar"};
        case SettingsSection::tray: return {"Bandeja", "folder.fill", "bandeja archivos arrastrar"};
        case SettingsSection::agents:
            return {"Agentes de IA", "sparkles",
                    "ia agentes claude codex gemini chatgpt navegador chrome safari"};
        case SettingsSection::volume:
            return {"Volumen y brillo", "speaker.wave.2.fill", "volumen brillo teclas aviso macos sensory"};
        case SettingsSection::battery:
            return {"Batería", "bolt.fill", "batería bateria carga cargador estilo"};
        case SettingsSection::focus:
            return {"Concentración", "moon.fill", "concentración no molestar luna focus"};
        case SettingsSection::weather: return {"Clima", "cloud.fill", "clima ciudad temperatura"};
        case SettingsSection::lockScreen:
            return {"Pantalla de bloqueo", "lock.fill",
                    "pantalla de bloqueo letra letras sonido candado vidrio portada"};
        case SettingsSection::calendar: return {"Calendario", "calendar", "calendario eventos recordatorio"};
        case SettingsSection::timer: return {"Temporizador", "timer", "temporizador pomodoro minutos"};
        case SettingsSection::accessories:
            return {"Accesorios", "airpodspro", "airpods audífonos bluetooth accesorios salida"};
        case SettingsSection::privacy:
            return {"Privacidad", "hand.raised.fill", "privacidad micrófono cámara batería baja"};
        case SettingsSection::updates:
            return {"Actualizaciones", "arrow.down.circle.fill", "actualizaciones versión"};
    }
    return {};
}

}  // namespace

std::string_view title(SettingsSection section) { return text(section).title; }
std::string_view symbol(SettingsSection section) { return text(section).symbol; }
std::string_view keywords(SettingsSection section) { return text(section).keywords; }

const std::vector<SettingsSectionGroup>& SettingsSections::groups() {
    using S = SettingsSection;
    static const std::vector<SettingsSectionGroup> list{
        {std::nullopt, {S::general, S::media, S::tray, S::agents}},
        {"Avisos",
         {S::volume, S::battery, S::focus, S::weather, S::lockScreen, S::calendar, S::timer, S::accessories,
          S::privacy}},
    };
    return list;
}

const std::vector<SettingsSection>& SettingsSections::footer() {
    static const std::vector<SettingsSection> list{SettingsSection::updates};
    return list;
}

}  // namespace quorlix
