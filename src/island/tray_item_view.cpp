#include "island/tray_item_view.h"

#include "platform/platform.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/transaction.h"
#include "ui/views.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix {

namespace {

using namespace ui;

constexpr Size thumbnailSize{100, 100};

// Points to pixels on the main screen; 2 without one.
double thumbnailScale() {
    const auto* screens = platform::installed().screens;
    const auto main = screens ? screens->mainScreen() : std::nullopt;
    return main ? main->backingScaleFactor : 2;
}

}  // namespace

std::string TrayItemView::displayName(const std::filesystem::path& path) {
    if (path.has_filename()) return path.filename().string();
    return path.parent_path().filename().string();
}

View TrayItemView::body(Context& ctx) const {
    TrayStore& tray = ctx.object<TrayStore>();
    platform::Workspace* workspace = platform::installed().workspace;
    const auto icon = ctx.state<std::optional<platform::Image>>(std::nullopt);
    const auto thumbnail = ctx.state<std::optional<platform::Image>>(std::nullopt);
    const auto hovering = ctx.state<bool>(false);
    const std::string path = item.url().string();

    const std::optional<platform::Image>& picture = thumbnail.get() ? thumbnail.get() : icon.get();
    const View image = picture ? View(Image(*picture).resizable().aspectRatio(ContentMode::fit)) : View();
    const auto open = [workspace, path] {
        if (workspace) workspace->openFile(path);
    };
    const TrayItem shown = item;

    return VStack({.alignment = HorizontalAlignment::center, .spacing = 6},
                  {
                      image.frame({.width = 50, .height = 50}),
                      Text(displayName(item.url()))
                          .font(Font::system(10, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.85))
                          .lineLimit(2)
                          .multilineTextAlignment(TextAlignment::center)
                          .frame({.width = 76, .height = 26, .alignment = Alignment::top}),
                  })
        .padding(6)
        .background(RoundedRectangle(12, RoundedCornerStyle::continuous)
                        .fill(hovering.get() ? Color::white.opacity(0.1) : Color::clear))
        .onHover([hovering](bool inside) { hovering = inside; })
        .onDrag([url = TrayStore::fileURL(item.url())] {
            return std::vector<DropItem>{{UTType::fileURL, url}};
        })
        .onTapGesture(2, open)
        .contextMenu({
            MenuItem::button("Abrir", open),
            MenuItem::button("Mostrar en la carpeta",
                             [workspace, path] {
                                 if (workspace) workspace->activateFileViewerSelecting({path});
                             }),
            MenuItem::divider(),
            MenuItem::button("Quitar de la bandeja",
                             [&tray, shown] { withAnimation([&] { tray.remove(shown); }); }),
        })
        .help(path)
        .task(path, [icon, thumbnail, workspace, path](ViewTask& task) {
            if (!workspace) return;
            // The thumbnail once the type is told: both read the file, so one that hangs its
            // reader holds one of the workspace's workers, not two.
            auto thumbnailWork = std::make_shared<platform::WorkItem>();
            task.hold(Subscription([thumbnailWork] { thumbnailWork->cancel(); }));
            task.hold(workspace->fileIcon(path, [icon, thumbnail, thumbnailWork, workspace,
                                                 path](std::optional<platform::Image> found) {
                if (found) icon = std::move(*found);
                *thumbnailWork = workspace->thumbnail(path, thumbnailSize, thumbnailScale(),
                                                      [thumbnail](std::optional<platform::Image> result) {
                                                          if (result) thumbnail = std::move(*result);
                                                      });
            }));
        });
}

}  // namespace quorlix
