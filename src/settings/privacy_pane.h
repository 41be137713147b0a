#pragma once
// The Privacy pane: two sample indicator tiles (the microphone in orange, the camera in
// green), fixed drawings that follow nothing, and the switches for the microphone and camera
// alerts and the low-battery alert.

#include "ui/color.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct PrivacyPane {
    ui::View body(ui::Context& ctx) const;

private:
    static ui::View indicator(const std::string& symbol, const std::string& label, const ui::Color& color);
};

}  // namespace quorlix
