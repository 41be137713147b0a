// The two output choosers, over three audio devices: the island's output menu and the lock
// screen's output picker.

#include "island/output_menu.h"
#include "island/output_picker.h"
#include "snapshot/scene.h"
#include "snapshot/scene_audio.h"
#include "ui/ui.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Scene outputMenu{"output-menu", {360, 150}, [] {
                           VolumeService& volume = threeOutputs();
                           return View(OutputMenu{}).padding(20).environmentObject(volume);
                       }};

const Scene outputPicker{
    "output-picker", {339, 185}, [] {
        VolumeService& volume = threeOutputs();
        return OutputPicker{}
            .padding(12)
            .background(RoundedRectangle(22, RoundedCornerStyle::continuous).fill(Color::black.opacity(0.55)))
            .padding(8)
            .environmentObject(volume);
    }};

}  // namespace

}  // namespace quorlix::snapshot
