#include "settings/agents_pane.h"

#include "foundation/app_settings.h"
#include "services/agent_service.h"
#include "services/browser_ai_watcher.h"
#include "settings/pane_pieces.h"
#include "settings/setting_rows.h"
#include "settings/settings_search.h"
#include "ui/ui.h"

#include <functional>

namespace quorlix {

using namespace ui;

namespace {

// A connect row's second line: "Conectado · " and the detail in lower case while
// connected, the detail alone otherwise.
std::string detailText(const std::string& detail, bool connected) {
    return connected ? "Conectado · " + foldForSearch(detail) : detail;
}

struct StatusLine {
    std::string text;
    std::string symbol;
    ShapeStyle style;
};

StatusLine browserStatus(const BrowserAIWatcher::Status& status) {
    using Kind = BrowserAIWatcher::Status::Kind;
    switch (status.kind) {
        case Kind::working: return {"Una IA está respondiendo en tu navegador", "sparkle", Color::green};
        case Kind::needsJavaScript:
            return {status.browser +
                        " no permite revisar la página. Activa «Permitir JavaScript desde eventos de Apple».",
                    "exclamationmark.triangle.fill", Color::orange};
        case Kind::off:
        case Kind::waiting: break;
    }
    return {"Esperando a que uses Gemini, ChatGPT o Claude", "checkmark.circle", ShapeStyle::secondary()};
}

View connectRow(const std::string& title, const std::string& detail, bool connected,
                std::function<void()> connect, std::function<void()> disconnect) {
    View button = connected
                      ? Button("Desconectar", std::move(disconnect)).buttonStyle(BorderedButtonStyle{})
                      : Button("Conectar", std::move(connect)).buttonStyle(BorderedProminentButtonStyle{});
    return HStack({.alignment = VerticalAlignment::center, .spacing = 10},
                  {
                      Circle()
                          // Unconnected: the secondary text colour (white at 55 %) at 40 %.
                          .fill(connected ? Color::green : Color::white.opacity(0.55 * 0.4))
                          .frame({.width = 8, .height = 8})
                          .id("dot:" + title),
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 1},
                             {
                                 Text(title).font(Font::body().withWeight(FontWeight::medium)),
                                 Text(detailText(detail, connected))
                                     .font(Font::caption())
                                     .foregroundStyle(ShapeStyle::secondary())
                                     .fixedSize(false, true),
                             }),
                      Spacer(),
                      button.id((connected ? "disconnect:" : "connect:") + title),
                  })
        .padding(Edges::vertical, 10);
}

View browserStatusLine(const BrowserAIWatcher::Status& status) {
    const StatusLine line = browserStatus(status);
    return iconLabel(line.symbol, line.text)
        .font(Font::callout())
        .foregroundStyle(line.style)
        .padding(Edges::vertical, 10)
        .id("browser.status");
}

View customAgentBlock() {
    return VStack(
               {.alignment = HorizontalAlignment::leading, .spacing = 8},
               {
                   Text("Cualquier herramienta puede avisarle a Quorlix abriendo este enlace:")
                       .font(Font::callout())
                       .fixedSize(false, true),
                   // Read-only but selectable, so the command can be copied.
                   TextField("", Binding<std::string>::constant(AgentsPane::customCommand),
                             {.plain = true, .readOnly = true})
                       .font(Font::system(Font::caption().size, FontWeight::regular, FontDesign::monospaced))
                       .padding(8)
                       .frame({.maxWidth = infinity, .alignment = Alignment::leading})
                       .background(RoundedRectangle(8, RoundedCornerStyle::continuous)
                                       .fill(HierarchicalStyle::quaternary))
                       .id("agents.command"),
                   Text("Usa event=working al empezar, event=done al terminar y event=input cuando "
                        "necesite tu respuesta.")
                       .font(Font::caption())
                       .foregroundStyle(ShapeStyle::secondary())
                       .fixedSize(false, true),
               })
        .padding(Edges::vertical, 12);
}

}  // namespace

View AgentsPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    AgentService& agents = ctx.object<AgentService>();
    BrowserAIWatcher& browser = ctx.object<BrowserAIWatcher>();

    const View note =
        agents.lastError.get()
            ? iconLabel("exclamationmark.triangle.fill", *agents.lastError.get())
                  .font(Font::callout())
                  .foregroundStyle(Color::orange)
                  .padding(EdgeInsets{8, 4, 0, 4})
                  .id("agents.error")
            : View(Footnote{
                  "Quorlix agrega unos «hooks» a ~/.claude/settings.json y ~/.codex/config.toml, y guarda "
                  "una copia del archivo original. Reinicia Claude Code o Codex después de conectar."});
    Views browserCard{
        ToggleRow{"Gemini, ChatGPT y Claude en el navegador", settingBinding(settings.browserAI), "globe"}};
    if (settings.browserAI.get()) {
        browserCard.push_back(RowDivider{});
        browserCard.push_back(browserStatusLine(browser.status.get()));
    }
    return VStack(
               {.alignment = HorizontalAlignment::leading, .spacing = 0},
               {
                   PaneHeader{SettingsSection::agents,
                              "El notch te dice cuándo un agente de IA está trabajando, "
                              "cuándo termina y cuándo te necesita."},
                   Card{{ToggleRow{"Avisos de agentes de IA", settingBinding(settings.agentAlerts),
                                   "sparkles"},
                         RowDivider{},
                         ToggleRow{"Sonido al terminar o si te necesita", settingBinding(settings.agentSound),
                                   "bell"}}},
                   GroupLabel{"Conectar"},
                   Card{{connectRow(
                             "Claude Code", "Trabajando, listo y cuando pide permiso",
                             agents.claudeConnected.get(), [&agents] { agents.connectClaude(); },
                             [&agents] { agents.disconnectClaude(); }),
                         RowDivider{},
                         connectRow(
                             "Codex", "Aviso cuando termina cada respuesta", agents.codexConnected.get(),
                             [&agents] { agents.connectCodex(); }, [&agents] { agents.disconnectCodex(); })}},
                   note,
                   GroupLabel{"IA en el navegador"},
                   Card{std::move(browserCard)},
                   Footnote{
                       "En Linux ningún navegador deja que otra app revise sus pestañas, así que por ahora "
                       "Quorlix no ve estas respuestas. Solo revisaría si aparece el botón de «Detener "
                       "respuesta»; no leería tus chats."},
                   GroupLabel{"Otros agentes"},
                   Card{{customAgentBlock()}},
               })
        .onAppear([&agents] { agents.refreshConnections(); });
}

}  // namespace quorlix
