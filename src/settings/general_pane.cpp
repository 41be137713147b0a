#include "settings/general_pane.h"

#include "foundation/app_actions.h"
#include "foundation/app_settings.h"
#include "island/live_preview.h"
#include "settings/option_pickers.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/sliders.h"
#include "settings/user_profile.h"
#include "ui/ui.h"

#include <cmath>

namespace quorlix {

using namespace ui;

namespace {

void preview(Published<std::optional<double>>& field, std::optional<double> value) {
    field = value ? std::optional<double>(std::round(*value)) : std::nullopt;
    AppActions::previewIslandSize();
}

View screenRow(AppSettings& settings) {
    const bool all = settings.showOnAllScreens.get();
    MenuItem notchOnly =
        MenuItem::button("Solo la del notch", [&settings] { settings.showOnAllScreens = false; });
    MenuItem every =
        MenuItem::button("Todas las pantallas", [&settings] { settings.showOnAllScreens = true; });
    notchOnly.checked = !all;
    every.checked = all;
    return HStack({.alignment = VerticalAlignment::center, .spacing = 10},
                  {
                      Symbol("display")
                          .font(Font::system(13, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.6))
                          .frame({.width = 18}),
                      Text("Pantalla").font(Font::system(13.5, FontWeight::medium)),
                      Spacer(),
                      View(PopUpMenu{all ? "Todas las pantallas" : "Solo la del notch", {notchOnly, every}})
                          .font(Font::system(13.5, FontWeight::semibold))
                          .id("screens.menu"),
                  })
        .frame({.minHeight = ToggleRow::minHeight});
}

View openModeBlock(AppSettings& settings) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 10},
                  {
                      Text("Abrir la isla").font(Font::system(13.5, FontWeight::medium)),
                      ChoiceButtons<IslandOpenMode>{
                          .options = {IslandOpenMode::hover, IslandOpenMode::click},
                          .selection = settingBinding(settings.openMode),
                          .height = 36,
                          .disabled = false,
                          .label =
                              [](const IslandOpenMode& mode, bool) {
                                  const bool hover = mode == IslandOpenMode::hover;
                                  return View(HStack({.alignment = VerticalAlignment::center, .spacing = 6},
                                                     {
                                                         Symbol(hover ? "cursorarrow.motionlines"
                                                                      : "cursorarrow.click"),
                                                         Text(hover ? "Al pasar el mouse" : "Al hacer clic"),
                                                     })
                                                  .font(Font::system(12.5, FontWeight::semibold)));
                              }},
                  })
        .padding(Edges::vertical, 14);
}

View sizeBlock(AppSettings& settings, const std::shared_ptr<LiveCommits>& commits) {
    const bool atDefault = settings.islandWidth.get() == GeneralPane::defaultWidth &&
                           settings.islandHeight.get() == GeneralPane::defaultHeight;
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                  {
                      SizeRow{"Ancho", settingBinding(settings.islandWidth), 320, 860,
                              &GeneralPane::previewWidth, commits},
                      RowDivider{},
                      SizeRow{"Alto", settingBinding(settings.islandHeight), 110, 250,
                              &GeneralPane::previewHeight, commits},
                      RowDivider{},
                      HStack({.alignment = VerticalAlignment::center},
                             {
                                 Spacer(),
                                 Button("Restablecer",
                                        [&settings, commits] {
                                            // A size still waiting to be written would undo the reset.
                                            commits->discardAll();
                                            withAnimation([&] {
                                                settings.islandWidth = GeneralPane::defaultWidth;
                                                settings.islandHeight = GeneralPane::defaultHeight;
                                            });
                                        })
                                     .buttonStyle(BorderedButtonStyle{})
                                     .disabled(atDefault)
                                     .id("size.reset"),
                             })
                          .padding(Edges::vertical, 11),
                  });
}

}  // namespace

void GeneralPane::previewWidth(std::optional<double> value) { preview(LivePreview::shared().width, value); }

void GeneralPane::previewHeight(std::optional<double> value) { preview(LivePreview::shared().height, value); }

View GeneralPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    const auto commits = ctx.state(std::make_shared<LiveCommits>());
    const bool hover = settings.openMode.get() == IslandOpenMode::hover;
    const Binding<bool> login = launchAtLoginBinding(settings);
    return VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 0},
        {
            PaneHeader{SettingsSection::general},
            AccountCard{},
            Card{{ToggleRow{"Abrir al iniciar sesión", login}}},
            GroupLabel{"Pantalla"},
            Card{{screenRow(settings)}},
            Footnote{"Elige en qué pantallas aparece la isla. En las que no tienen notch flota arriba, en el "
                     "centro."},
            GroupLabel{"Isla"},
            Card{{openModeBlock(settings), RowDivider{},
                  ToggleRow{"Vibración del trackpad al abrir", settingBinding(settings.hapticFeedback)}}},
            Footnote{hover ? "La isla se abre en cuanto el mouse toca el notch."
                           : "Con el mouse encima la isla crece un poco; haz clic para abrirla. La vibración "
                             "aún no llega a los touchpads de Linux."},
            GroupLabel{"Tamaño"},
            Card{{sizeBlock(settings, commits.get())}},
            Footnote{
                "Mientras mueves la barra, la isla se abre para que veas cómo queda. En tamaños chicos se "
                "acomoda: sin letra si es angosta y con textos más chicos si es baja."},
            GroupLabel{"Gestos"},
            Card{{ToggleRow{"Deslizar para cambiar de página", settingBinding(settings.swipeBetweenPages),
                            "hand.draw"},
                  RowDivider{},
                  ToggleRow{"Scroll sobre el notch para el volumen", settingBinding(settings.scrollForVolume),
                            "speaker.wave.2"}}},
            Footnote{hover ? "Al pasar el mouse, la isla se abre antes de que llegue la rueda: con ella "
                             "abierta, de lado pasas entre Música, Clima, Archivos, Eventos y Temporizador. "
                             "La canción y el volumen sobre la isla cerrada piden abrirla al hacer clic."
                           : "Con la isla cerrada, desliza dos dedos de lado sobre el notch para cambiar de "
                             "canción, o arriba y abajo para el volumen. Con la isla abierta, de lado pasas "
                             "entre Música, Clima, Archivos, Eventos y Temporizador."},
            GroupLabel{"Visibilidad"},
            Card{{ToggleRow{"Ocultar en pantalla completa", settingBinding(settings.hideInFullscreen)},
                  RowDivider{},
                  ToggleRow{"Ocultar en capturas de pantalla", settingBinding(settings.hideInScreenshots)},
                  RowDivider{},
                  ToggleRow{"Ícono en la bandeja del sistema", settingBinding(settings.menuBarIcon)}}},
            Footnote{
                "Sin el ícono, abre Ajustes con clic derecho dentro de la isla o abriendo Quorlix de nuevo."},
        });
}

}  // namespace quorlix
