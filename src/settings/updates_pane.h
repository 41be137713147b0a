#pragma once
// The Updates pane: the running version and build beside the application's icon, what the
// updater is doing with the one action that fits it ("Actualizar ahora", "Descargar" or
// "Buscar"), the automatic check at start-up, and where updates come from. It keeps nothing
// of its own: `UpdateService` and `AppSettings`, read from the environment, publish what it
// shows, so a check or an install started from the menu or at start-up shows here live.
// Main thread only.

#include "platform/clock.h"
#include "ui/view.h"

#include <string>
#include <string_view>

namespace quorlix {

struct UpdatesPane {
    ui::View body(ui::Context& ctx) const;

    // "Última revisión: " and the hour and minutes of `date` as `locale` writes a short time.
    static std::string lastCheckedText(Date date, std::string_view locale);
    // The note on where updates come from, naming the host of `siteURL`.
    static std::string footnote(std::string_view siteURL);
};

}  // namespace quorlix
