#pragma once
// The offer to move the application to ~/Applications: the application's icon floating over
// a soft glow, a title, one sentence and two buttons, "Mover a Aplicaciones" (also Return)
// and "Ahora no". On coming on screen the icon grows in and starts to float.
//
//     auto window = MoveView::makeWindow(windows, actions);   // 380 wide, as tall as the view
//
// Main thread only.

#include "app/move_to_applications.h"
#include "ui/color.h"
#include "ui/view.h"

#include <functional>
#include <memory>

namespace quorlix {

struct MoveView {
    static constexpr double width = MoveToApplications::windowWidth;
    // The window's near-black background.
    static constexpr ui::Color background = ui::Color::gray(0.07);

    std::function<void()> onMove;
    std::function<void()> onLater;

    ui::View body(ui::Context& ctx) const;

    // The offer window around a new view: at the normal level, with its close button alone,
    // as tall as the view needs.
    static std::unique_ptr<platform::Window> makeWindow(platform::Windows& windows,
                                                        MoveToApplications::Actions actions);
};

}  // namespace quorlix
