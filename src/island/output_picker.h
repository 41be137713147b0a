#pragma once
// The lock screen's panel for picking the audio output: a title, a close button and a
// scrolling list of outputs, read once each time the panel comes on screen, with a check mark
// and a filled background on the current one. Choosing a row, the current one included, makes
// it the default output and the system sounds' output (`VolumeService::makeDefaultOutput`);
// a choice or the close button then calls `done` inside a 0.2 s ease-out.
//
//     OutputPicker{.done = [choosing] { choosing = false; }}.padding(12)

#include "ui/view.h"

#include <functional>

namespace quorlix {

struct OutputPicker : ui::ViewModifiers<OutputPicker> {
    std::function<void()> done;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
