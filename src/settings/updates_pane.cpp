#include "settings/updates_pane.h"

#include "foundation/app_settings.h"
#include "foundation/quorlix_config.h"
#include "services/date_text.h"
#include "services/update_service.h"
#include "services/url_parts.h"
#include "settings/application_icon.h"
#include "settings/setting_rows.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

namespace {

using State = UpdateService::State;

// A symbol before its title, both in the label's colour.
View label(const std::string& symbol, const std::string& title, const ShapeStyle& style) {
    return HStack({.alignment = VerticalAlignment::center, .spacing = 5}, {Symbol(symbol), Text(title)})
        .foregroundStyle(style);
}

// The small spinner beside what is under way.
View busy(const std::string& title) {
    return HStack({.alignment = VerticalAlignment::center, .spacing = 6},
                  {View(ProgressView{.controlSize = ControlSize::small}).id("updates.spinner"), Text(title)});
}

View versionRow() {
    const auto& icon = ApplicationIcon::image();
    return HStack({.alignment = VerticalAlignment::center},
                  {
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
                             {
                                 Text("Quorlix " + UpdateService::currentVersion())
                                     .font(Font::system(Font::title3().size, FontWeight::semibold,
                                                        FontDesign::monospaced)),
                                 Text("Build " + UpdateService::currentBuild())
                                     .font(Font::system(Font::caption().size, FontWeight::regular,
                                                        FontDesign::monospaced))
                                     .foregroundStyle(ShapeStyle::secondary()),
                             }),
                      Spacer(),
                      // Without its file the icon's place stays, so the row keeps its height.
                      icon ? View(Image(*icon).resizable().frame({.width = 36, .height = 36}))
                           : View(Color::clear.frame({.width = 36, .height = 36})),
                  })
        .padding(Edges::vertical, 12);
}

View stateLine(const State& state) {
    if (std::holds_alternative<UpdateService::Idle>(state)) return Text("Sin revisar");
    if (std::holds_alternative<UpdateService::Checking>(state)) return busy("Buscando…");
    if (std::holds_alternative<UpdateService::UpToDate>(state))
        return label("checkmark.circle.fill", "Estás al día", Color::green);
    if (std::holds_alternative<UpdateService::Failed>(state))
        return label("exclamationmark.circle", "No se pudo revisar", ShapeStyle::secondary());
    if (std::holds_alternative<UpdateService::Downloading>(state)) return busy("Descargando…");
    if (std::holds_alternative<UpdateService::Installing>(state))
        return busy("Instalando… Quorlix se va a reabrir");
    if (const auto* failed = std::get_if<UpdateService::InstallFailed>(&state))
        return label("exclamationmark.triangle.fill", failed->message, Color::orange).fixedSize(false, true);
    const auto& available = std::get<UpdateService::Available>(state);
    return label("arrow.down.circle.fill", "Quorlix " + available.version + " disponible",
                 Color::quorlixAccent);
}

View statusView(const UpdateService& updates) {
    const State& state = updates.state.get();
    Views lines{stateLine(state).id("updates.state")};
    const auto& manifest = updates.manifest.get();
    if (std::holds_alternative<UpdateService::Available>(state) && manifest && manifest->notes) {
        lines.push_back(Text(*manifest->notes)
                            .font(Font::system(11.5))
                            .foregroundStyle(Color::white.opacity(0.6))
                            .fixedSize(false, true)
                            .padding(Edge::top, 4)
                            .id("updates.notes"));
    }
    if (const auto& checked = updates.lastChecked.get()) {
        lines.push_back(Text(UpdatesPane::lastCheckedText(*checked, currentLocale()))
                            .font(Font::caption())
                            .foregroundStyle(ShapeStyle::secondary())
                            .id("updates.lastChecked"));
    }
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 2}, std::move(lines));
}

View prominent(std::string title, std::function<void()> action) {
    return Button(std::move(title), std::move(action))
        .buttonStyle(BorderedProminentButtonStyle{})
        .tint(Color::quorlixAccent);
}

// The one action that fits the state: none while an install runs.
View actionButton(UpdateService& updates) {
    if (updates.canInstall())
        return prominent("Actualizar ahora", [&updates] { updates.install(); }).id("updates.install");
    const State& state = updates.state.get();
    if (std::holds_alternative<UpdateService::Available>(state))
        return prominent("Descargar", [&updates] { updates.openDownload(); }).id("updates.download");
    if (std::holds_alternative<UpdateService::InstallFailed>(state))
        return Button("Descargar", [&updates] { updates.openDownload(); })
            .buttonStyle(BorderedButtonStyle{})
            .id("updates.download");
    if (std::holds_alternative<UpdateService::Downloading>(state) ||
        std::holds_alternative<UpdateService::Installing>(state))
        return View();
    return Button("Buscar", [&updates] { updates.check(); })
        .buttonStyle(BorderedButtonStyle{})
        .disabled(std::holds_alternative<UpdateService::Checking>(state))
        .id("updates.check");
}

View statusRow(UpdateService& updates) {
    return HStack({.alignment = VerticalAlignment::center},
                  {statusView(updates), Spacer(), actionButton(updates)})
        .padding(Edges::vertical, 12);
}

}  // namespace

std::string UpdatesPane::lastCheckedText(Date date, std::string_view locale) {
    std::string pattern = bestDatePattern("jmm", locale);
    if (pattern.empty()) pattern = "H:mm";
    return "Última revisión: " + formatDate(date, pattern, locale);
}

std::string UpdatesPane::footnote(std::string_view siteURL) {
    const auto parts = URLParts::parse(siteURL);
    const std::string host = parts && !parts->host.empty() ? parts->host : "el sitio de Quorlix";
    return "Las actualizaciones se descargan desde " + host +
           " y solo se instalan si traen la firma de Quorlix. Con «Actualizar ahora» la app se cambia sola y "
           "se "
           "vuelve a abrir.";
}

View UpdatesPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    UpdateService& updates = ctx.object<UpdateService>();
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                  {
                      PaneHeader{SettingsSection::updates},
                      GroupLabel{"Versión actual"},
                      Card{{versionRow()}},
                      GroupLabel{"Actualizaciones"},
                      Card{{statusRow(updates), RowDivider{},
                            ToggleRow{"Buscar actualizaciones automáticamente",
                                      settingBinding(settings.autoCheckUpdates)}}},
                      Footnote{footnote(QuorlixConfig::siteURL())},
                  });
}

}  // namespace quorlix
