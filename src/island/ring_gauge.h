#pragma once
// What the battery rings share: their colour by level, and the gauge itself, a faint full
// circle under an arc that starts at the top and runs clockwise.

#include "ui/color.h"
#include "ui/view.h"

namespace quorlix {

// Green above 20 percent, else red.
ui::Color ringColor(int percent);

struct RingGauge {
    // The arc's length as a fraction of the circle.
    double progress = 0;
    ui::Color color;
    double lineWidth = 2;
    // The opacity of the white track under the arc.
    double trackOpacity = 0.15;
    // A soft shadow in the arc's colour.
    bool glows = false;

    ui::View makeView() const;
};

}  // namespace quorlix
