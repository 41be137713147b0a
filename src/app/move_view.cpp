#include "app/move_view.h"

#include "settings/application_icon.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

View MoveView::body(Context& ctx) const {
    auto floating = ctx.state<bool>(false);
    auto appeared = ctx.state<bool>(false);
    const auto& icon = ApplicationIcon::image();
    // Without its file the icon's place stays, so the window keeps its height.
    const View picture = icon ? View(Image(*icon).resizable()) : View(Color::clear);

    const View iconGroup =
        ZStack({
                   Circle()
                       .fill(RadialGradient(Gradient{Color::white.opacity(0.12), Color::clear},
                                            UnitPoint::center, 0, 90))
                       .frame({.width = 180, .height = 180}),
                   picture.frame({.width = 104, .height = 104})
                       .shadow(Color::black.opacity(0.6), 18, 0, 10)
                       .offset(0, floating.get() ? -5 : 3)
                       .animation(Animation::easeInOut(2.2).repeatForever(true), floating.get())
                       .id("move.icon"),
               })
            .padding(Edge::top, 26)
            .scaleEffect(appeared.get() ? 1.0 : 0.8)
            .opacity(appeared.get() ? 1.0 : 0.0);

    const View buttons =
        VStack({.alignment = HorizontalAlignment::center, .spacing = 8},
               {
                   Button(Text("Mover a Aplicaciones")
                              .font(Font::system(13.5, FontWeight::semibold))
                              .foregroundStyle(Color::black)
                              .frame({.maxWidth = infinity})
                              .frame({.height = 36})
                              .background(Capsule(RoundedCornerStyle::continuous).fill(Color::white)),
                          onMove)
                       .buttonStyle(PlainButtonStyle{})
                       .keyboardShortcut(KeyboardShortcut::defaultAction)
                       .id("move.move"),
                   Button(Text("Ahora no")
                              .font(Font::system(12.5))
                              .foregroundStyle(Color::white.opacity(0.5))
                              .padding(Edges::vertical, 4),
                          onLater)
                       .buttonStyle(PlainButtonStyle{})
                       .id("move.later"),
               })
            .frame({.width = 260})
            .padding(Edge::top, 22)
            .padding(Edge::bottom, 22);

    return VStack({.alignment = HorizontalAlignment::center, .spacing = 0},
                  {
                      iconGroup,
                      Text("Mueve Quorlix a Aplicaciones")
                          .font(Font::system(19, FontWeight::bold))
                          .padding(Edge::top, 6),
                      Text("Así queda instalada y puede abrirse sola cuando inicias sesión.")
                          .font(Font::system(12.5))
                          .foregroundStyle(Color::white.opacity(0.55))
                          .multilineTextAlignment(TextAlignment::center)
                          .fixedSize(false, true)
                          .frame({.width = 300})
                          .padding(Edge::top, 6),
                      buttons,
                  })
        .frame({.width = width})
        .foregroundStyle(Color::white)
        .colorScheme(ColorScheme::dark)
        .onAppear([floating, appeared] {
            // The float's own repeating animation carries it from here.
            floating = true;
            withAnimation(Animation::spring(0.55, 0.7), [&] { appeared = true; });
        });
}

std::unique_ptr<platform::Window> MoveView::makeWindow(platform::Windows& windows,
                                                       MoveToApplications::Actions actions) {
    auto window = windows.makeWindow(
        {.title = "Quorlix", .size = {width, 0}, .closeButtonOnly = true, .fitsContentHeight = true});
    window->setContent(
        View(MoveView{std::move(actions.onMove), std::move(actions.onLater)}).background(background), {});
    return window;
}

}  // namespace quorlix
