#include "island/output_menu.h"

#include "services/volume_service.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/shape.h"
#include "ui/transaction.h"
#include "ui/views.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quorlix {

namespace {

using namespace ui;

struct Row {
    AudioOutput output;
    bool isCurrent = false;
    bool isHovered = false;
    std::function<void()> choose;
    std::function<void(bool)> hover;

    View makeView() const {
        const View label =
            HStack(
                {.alignment = VerticalAlignment::center, .spacing = 9},
                {
                    Symbol(output.symbol()).font(Font::system(12.5, FontWeight::medium)).frame({.width = 18}),
                    Text(output.name)
                        .font(Font::system(13, FontWeight::semibold))
                        .lineLimit(1)
                        .truncationMode(TruncationMode::tail)
                        .frame({.maxWidth = 236, .alignment = Alignment::leading}),
                    Spacer(8),
                })
                .foregroundStyle(Color::white.opacity(isCurrent || isHovered ? 1 : 0.72))
                .padding(Edges::horizontal, 9)
                .frame({.height = 29})
                .contentShape(Rectangle())
                .background(RoundedRectangle(8, RoundedCornerStyle::continuous)
                                .fill(isHovered ? Color::white.opacity(0.12) : Color::clear));
        return Button(label, choose).buttonStyle(PlainButtonStyle{}).onHover(hover);
    }
};

}  // namespace

View OutputMenu::body(Context& ctx) const {
    VolumeService& volume = ctx.object<VolumeService>();
    const auto outputs = ctx.state<std::vector<AudioOutput>>({});
    const auto hovered = ctx.state<std::optional<std::uint32_t>>(std::nullopt);
    const auto& current = volume.currentOutput.get();
    const auto closeMenu = close;

    const auto row = [&](const AudioOutput& output) {
        const std::uint32_t id = output.id;
        return Row{
            .output = output,
            .isCurrent = current && current->id == id,
            .isHovered = hovered.get() == id,
            .choose =
                [&volume, id, closeMenu] {
                    const auto& now = volume.currentOutput.get();
                    // The current output stays as it is: nothing is written.
                    if (!now || now->id != id) volume.makeDefaultOutput(id);
                    if (closeMenu) closeMenu();
                },
            .hover =
                [hovered, id](bool inside) {
                    withAnimation(Animation::easeOut(0.12), [&] {
                        // Leaving a row clears only its own highlight, so entering the next row
                        // first keeps the new one.
                        if (inside)
                            hovered = id;
                        else if (hovered.get() == id)
                            hovered = std::nullopt;
                    });
                },
        };
    };

    const RoundedRectangle shape(14, RoundedCornerStyle::continuous);
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                  {ForEach(
                      outputs.get(), [](const AudioOutput& o) { return o.id; }, row)})
        .padding(5)
        .frame({.minWidth = 190})
        .fixedSize()
        .background(shape.fill(Material::ultraThin)
                        .overlay(shape.fill(Color::black.opacity(0.45)))
                        .overlay(shape.strokeBorder(Color::white.opacity(0.12), 0.5))
                        .shadow(Color::black.opacity(0.45), 16, 0, 8))
        .colorScheme(ColorScheme::dark)
        .onAppear([outputs, &volume] { outputs = volume.outputs(); });
}

}  // namespace quorlix
