#include "island/tray_panel.h"

#include "island/island_button_style.h"
#include "island/tray_item_view.h"
#include "services/tray_store.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/transaction.h"
#include "ui/views.h"

#include <string>

namespace quorlix {

namespace {

using namespace ui;

const StrokeStyle dashed{.lineWidth = 1.5, .dash = {6, 5}};
// How far the drop frame around a tray of files stands outside its content's inset.
constexpr double dropFrameOutset = 6;

View dropHint(bool targeted) {
    return ZStack({
                      RoundedRectangle(16, RoundedCornerStyle::continuous)
                          .strokeBorder(Color::white.opacity(targeted ? 0.7 : 0.22), dashed),
                      VStack({.alignment = HorizontalAlignment::center, .spacing = 6},
                             {
                                 Symbol("tray.and.arrow.down.fill")
                                     .font(Font::system(22))
                                     .foregroundStyle(Color::white.opacity(targeted ? 0.9 : 0.5)),
                                 Text("Arrastra archivos aquí")
                                     .font(Font::system(13, FontWeight::semibold))
                                     .foregroundStyle(Color::white.opacity(0.85)),
                                 Text("Se quedan a la mano hasta que los saques")
                                     .font(Font::system(11))
                                     .foregroundStyle(Color::white.opacity(0.45)),
                             }),
                  })
        .animation(Animation::easeOut(0.15), targeted);
}

View fileList(TrayStore& tray, bool targeted) {
    const auto& items = tray.items.get();
    const View header = HStack({.alignment = VerticalAlignment::center, .spacing = 6},
                               {
                                   Text("Bandeja")
                                       .font(Font::system(12, FontWeight::semibold))
                                       .foregroundStyle(Color::white.opacity(0.6)),
                                   Text(std::to_string(items.size()))
                                       .font(Font::system(11, FontWeight::semibold).monospacedDigit())
                                       .foregroundStyle(Color::white.opacity(0.4)),
                                   Spacer(),
                                   Button(Text("Vaciar")
                                              .font(Font::system(11, FontWeight::medium))
                                              .foregroundStyle(Color::white.opacity(0.55)),
                                          [&tray] { withAnimation([&] { tray.clear(); }); })
                                       .buttonStyle(IslandButtonStyle{}),
                               });
    // Only the files in view are built and drawn: a tray of thousands costs what a few do.
    const View row = ScrollView({.axis = Axis::horizontal, .showsIndicators = false},
                                LazyHStack(
                                    {.alignment = VerticalAlignment::center, .spacing = 6}, items,
                                    [](const TrayItem& item) { return item.id(); },
                                    [](const TrayItem& item) { return TrayItemView(item); }));
    // The drop frame stands a little outside the inset stack: drawn on its edge, its round
    // corners would cut into the header's ends.
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 8}, {header, row})
        .padding(6)
        .overlay(If(targeted, RoundedRectangle(14 + dropFrameOutset, RoundedCornerStyle::continuous)
                                  .strokeBorder(Color::white.opacity(0.6), dashed)
                                  .padding(-dropFrameOutset)));
}

}  // namespace

View TrayPanel::body(Context& ctx) const {
    TrayStore& tray = ctx.object<TrayStore>();
    if (tray.items.get().empty()) return dropHint(isTargeted);
    return fileList(tray, isTargeted);
}

}  // namespace quorlix
