#pragma once
// Three small panes: the file tray (`TrayPane`), the volume and brightness HUDs
// (`VolumePane`, which warns while hiding the system's overlays lacks the Accessibility
// permission, with a button that asks for it) and the charger HUD (`BatteryPane`, with the
// battery as it is now while the machine has one). Every control writes its `AppSettings`
// key at once.

#include "services/battery_service.h"
#include "ui/color.h"
#include "ui/view.h"

#include <optional>
#include <string>

namespace quorlix {

class MediaKeyInterceptor;

struct TrayPane {
    ui::View body(ui::Context& ctx) const;
};

struct VolumePane {
    // The shared interceptor; the pane follows its trust.
    MediaKeyInterceptor* keys = nullptr;

    ui::View body(ui::Context& ctx) const;
};

struct BatteryPane {
    ui::View body(ui::Context& ctx) const;

    // What the live row shows for a reading: being plugged in decides, not charging.
    struct Row {
        std::string level;  // "78%"
        std::string state;  // "Cargando", "Cargada", "Con batería"
        bool pluggedIn = false;
        bool chargingMark = false;
    };
    static Row row(const BatteryService::Snapshot& snapshot);
};

}  // namespace quorlix
