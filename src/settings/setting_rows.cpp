#include "settings/setting_rows.h"

#include "ui/ui.h"

namespace quorlix {

using namespace ui;

View PaneHeader::body(Context&) const {
    const View row =
        HStack({.alignment = VerticalAlignment::center, .spacing = 10},
               {
                   Symbol(std::string(symbol(section))).font(Font::system(19, FontWeight::semibold)),
                   Text(std::string(title(section))).font(Font::system(22, FontWeight::bold)),
               })
            .foregroundStyle(Color::white);
    if (!subtitle) return row.padding(Edge::bottom, 18);
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 6},
                  {
                      row,
                      Text(*subtitle)
                          .font(Font::system(12))
                          .foregroundStyle(Color::white.opacity(0.55))
                          .fixedSize(false, true),
                  })
        .padding(Edge::bottom, 18);
}

View Card::body(Context&) const {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, content)
        .padding(Edges::horizontal, 15)
        .frame({.maxWidth = infinity, .alignment = Alignment::leading})
        // The border lies under the rows: over them, its shape would take their clicks.
        .background(ZStack({
            RoundedRectangle(14, RoundedCornerStyle::continuous).fill(Color::white.opacity(0.075)),
            RoundedRectangle(14, RoundedCornerStyle::continuous)
                .strokeBorder(Color::white.opacity(0.07), 0.5),
        }))
        .padding(Edge::bottom, 10);
}

View GroupLabel::body(Context&) const {
    return Text(text)
        .font(Font::system(11.5, FontWeight::semibold))
        .foregroundStyle(Color::white.opacity(0.45))
        .padding(EdgeInsets{10, 6, 7, 0});
}

View Footnote::body(Context&) const {
    return Text(text)
        .font(Font::system(11.5))
        .foregroundStyle(Color::white.opacity(0.48))
        .fixedSize(false, true)
        .padding(EdgeInsets{-3, 6, 12, 6});
}

View RowDivider::body(Context&) const {
    return Rectangle().fill(Color::white.opacity(0.07)).frame({.height = 1, .maxWidth = infinity});
}

View ToggleRow::body(Context&) const {
    Views items;
    if (symbol)
        items.push_back(Symbol(*symbol)
                            .font(Font::system(13, FontWeight::medium))
                            .foregroundStyle(Color::white.opacity(0.6))
                            .frame({.width = 18}));
    items.push_back(Text(title).foregroundStyle(Color::white.opacity(0.92)).id(title));
    items.push_back(Spacer(8));
    items.push_back(View(Toggle(isOn)).tint(Color::quorlixAccent).id("toggle:" + title));
    return HStack({.alignment = VerticalAlignment::center, .spacing = 10}, std::move(items))
        .font(Font::system(13.5, FontWeight::medium))
        .frame({.minHeight = minHeight});
}

}  // namespace quorlix
