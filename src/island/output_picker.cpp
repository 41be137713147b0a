#include "island/output_picker.h"

#include "island/island_button_style.h"
#include "services/volume_service.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/shape.h"
#include "ui/transaction.h"
#include "ui/views.h"

#include <vector>

namespace quorlix {

namespace {

using namespace ui;

View row(const AudioOutput& output, bool isCurrent, std::function<void()> choose) {
    const View label =
        HStack({.alignment = VerticalAlignment::center, .spacing = 10},
               {
                   Symbol(output.symbol()).font(Font::system(13, FontWeight::semibold)).frame({.width = 20}),
                   Text(output.name).font(Font::system(12.5, FontWeight::medium)).lineLimit(1),
                   Spacer(),
                   If(isCurrent, Symbol("checkmark").font(Font::system(11, FontWeight::bold))),
               })
            .padding(Edges::horizontal, 8)
            .padding(Edges::vertical, 7)
            .contentShape(Rectangle())
            .background(RoundedRectangle(10, RoundedCornerStyle::continuous)
                            .fill(isCurrent ? Color::white.opacity(0.16) : Color::clear));
    return Button(label, std::move(choose)).buttonStyle(PlainButtonStyle{});
}

}  // namespace

View OutputPicker::body(Context& ctx) const {
    VolumeService& volume = ctx.object<VolumeService>();
    const auto outputs = ctx.state<std::vector<AudioOutput>>({});
    const auto& current = volume.currentOutput.get();
    const auto finish = [done = done] {
        withAnimation(Animation::easeOut(0.2), [&] {
            if (done) done();
        });
    };

    const View header = HStack({
        Text("Salida de audio")
            .font(Font::system(12, FontWeight::semibold))
            .foregroundStyle(Color::white.opacity(0.7)),
        Spacer(),
        Button(Symbol("xmark")
                   .font(Font::system(10, FontWeight::bold))
                   .frame({.width = 22, .height = 22})
                   .background(Circle().fill(Color::white.opacity(0.15))),
               finish)
            .buttonStyle(IslandButtonStyle{}),
    });
    const View list =
        ScrollView({.axis = Axis::vertical, .showsIndicators = false},
                   VStack({.alignment = HorizontalAlignment::center, .spacing = 2},
                          {ForEach(
                              outputs.get(), [](const AudioOutput& o) { return o.id; },
                              [&](const AudioOutput& output) {
                                  const std::uint32_t id = output.id;
                                  // The current row writes both defaults again, as any other.
                                  return row(output, current && current->id == id, [&volume, id, finish] {
                                      volume.makeDefaultOutput(id);
                                      finish();
                                  });
                              })}));
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 6}, {header, list})
        .foregroundStyle(Color::white)
        .onAppear([outputs, &volume] { outputs = volume.outputs(); });
}

}  // namespace quorlix
