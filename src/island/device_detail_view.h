#pragma once
// The device HUD grown into its battery detail: the device's picture and "Conectado" beside
// the notch, and under them a card with the device's name and one battery ring per part it
// reports (left bud, right bud, case, single battery).
//
//     DeviceDetailView{.device = info, .notch = notch}

#include "platform/geometry.h"
#include "services/bluetooth_service.h"
#include "ui/view.h"

namespace quorlix {

struct DeviceDetailView : ui::ViewModifiers<DeviceDetailView> {
    AudioDeviceInfo device;
    Size notch;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
