// The panes and the running application: the keys they write reach the services through the
// application's observers (the weather's city and unit, the browser watcher), and the agents
// pane's buttons edit the agents' own files in the temporary home.

#include "platform/atomic_file.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace pane_services_test {

using S = SettingsSection;

class PaneServicesTest : public testing::SettingsFixture {
protected:
    PaneServicesTest() { app->applicationDidFinishLaunching(); }

    std::string lastURL() const { return fake.httpClient.requests.back().request.url; }
    ui::Color dotColour(const std::string& title) {
        const ui::DisplayItem* dot = shown().findId("dot:" + title);
        const ui::DisplayItem* shape =
            dot ? dot->find([](const ui::DisplayItem& i) { return i.fill.has_value(); }) : nullptr;
        return shape ? shape->fill->color : ui::Color::clear;
    }
    static std::string read(const std::filesystem::path& file) {
        return platform::readFile(file).value_or("");
    }
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        ASSERT_FALSE(platform::writeFileAtomically(file, text));
    }
};

TEST_F(PaneServicesTest, ASavedCityIsLookedUpAndTheUnitRefetches) {
    show(S::weather);
    const std::size_t before = fake.httpClient.requests.size();
    field("city.field")->setText("Lima");
    settle();
    click("city.save");
    ASSERT_EQ(fake.httpClient.requests.size(), before + 1);
    EXPECT_TRUE(lastURL().starts_with("https://geocoding-api.open-meteo.com/v1/search?")) << lastURL();
    EXPECT_NE(lastURL().find("Lima"), std::string::npos);

    fake.httpClient.respond(fake.httpClient.requests.size() - 1, 200,
                            R"({"results": [{"name": "Lima", "latitude": -12.04, "longitude": -77.03}]})");
    EXPECT_NE(lastURL().find("temperature_unit=celsius"), std::string::npos) << lastURL();
    settle();
    EXPECT_NE(shown().findId("weather.card")->findText("Lima"), nullptr);
    click("toggle:Grados Fahrenheit");
    EXPECT_NE(lastURL().find("temperature_unit=fahrenheit"), std::string::npos) << lastURL();
}

TEST_F(PaneServicesTest, TheBrowserSwitchStartsTheWatcherWhoseStatusTheLineFollows) {
    show(S::agents);
    EXPECT_EQ(app->browserAI.status.get(), BrowserAIWatcher::Status::off());
    EXPECT_FALSE(has("browser.status"));
    click("toggle:Gemini, ChatGPT y Claude en el navegador");
    EXPECT_EQ(app->browserAI.status.get(), BrowserAIWatcher::Status::waiting());
    // Without agent alerts the application holds the watcher off.
    click("toggle:Avisos de agentes de IA");
    EXPECT_EQ(app->browserAI.status.get(), BrowserAIWatcher::Status::off());

    using Status = BrowserAIWatcher::Status;
    const ui::Color secondary = ui::Color::white.opacity(0.55);
    const std::string waiting = "Esperando a que uses Gemini, ChatGPT o Claude";
    struct Case {
        Status status;
        std::string text;
        const char* symbol;
        ui::Color colour;
    };
    for (const Case& c : std::vector<Case>{
             {Status::off(), waiting, "checkmark.circle", secondary},
             {Status::waiting(), waiting, "checkmark.circle", secondary},
             {Status::working(), "Una IA está respondiendo en tu navegador", "sparkle", ui::Color::green},
             {Status::needsJavaScript("Safari"),
              "Safari no permite revisar la página. Activa «Permitir JavaScript desde eventos de Apple».",
              "exclamationmark.triangle.fill", ui::Color::orange}}) {
        app->browserAI.status = c.status;
        settle();
        const ui::DisplayItem* line = shown().findId("browser.status");
        ASSERT_NE(line, nullptr);
        const ui::DisplayItem* text = line->findText(c.text);
        ASSERT_NE(text, nullptr) << c.text;
        EXPECT_EQ(text->textPaint->color, c.colour) << c.text;
        EXPECT_NE(line->findSymbol(c.symbol), nullptr) << c.symbol;
    }
}

TEST_F(PaneServicesTest, ConnectingClaudeCodeWritesItsHooksAndTheDotTurnsGreen) {
    show(S::agents);
    const ui::Color grey = dotColour("Claude Code");
    EXPECT_NE(grey, ui::Color::green);
    EXPECT_NE(shown().findText("Trabajando, listo y cuando pide permiso"), nullptr);
    click("connect:Claude Code");
    EXPECT_TRUE(AgentService::isOurs(read(AgentService::claudeSettingsPath())));
    EXPECT_EQ(dotColour("Claude Code"), ui::Color::green);
    EXPECT_TRUE(has("disconnect:Claude Code"));
    EXPECT_NE(shown().findText("Conectado · trabajando, listo y cuando pide permiso"), nullptr);

    // Hooks removed by hand show as soon as the pane is shown again.
    write(AgentService::claudeSettingsPath(), "{}\n");
    show(S::tray);
    show(S::agents);
    EXPECT_TRUE(has("connect:Claude Code"));
    EXPECT_EQ(dotColour("Claude Code"), grey);
}

TEST_F(PaneServicesTest, ACodexNotifyOfTheUsersOwnPutsTheErrorInPlaceOfTheNote) {
    const std::string own = "notify = [\"mi-aviso\"]\nmodel = \"o4\"\n";
    write(AgentService::codexConfigPath(), own);
    show(S::agents);
    const std::string note =
        "Quorlix agrega unos «hooks» a ~/.claude/settings.json y ~/.codex/config.toml, y guarda una "
        "copia del archivo original. Reinicia Claude Code o Codex después de conectar.";
    EXPECT_NE(shown().findText(note), nullptr);
    click("connect:Codex");
    EXPECT_EQ(read(AgentService::codexConfigPath()), own);
    EXPECT_TRUE(has("connect:Codex"));
    ASSERT_TRUE(has("agents.error"));
    const ui::DisplayItem* error = shown().findId("agents.error")->findText(*app->agents.lastError.get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->textPaint->color, ui::Color::orange);
    EXPECT_EQ(shown().findText(note), nullptr);

    // Once the user's line is gone, a connection clears the error and the note returns.
    write(AgentService::codexConfigPath(), "model = \"o4\"\n");
    click("connect:Codex");
    EXPECT_TRUE(has("disconnect:Codex"));
    EXPECT_FALSE(has("agents.error"));
    EXPECT_NE(shown().findText(note), nullptr);
    // The command for other tools is there to select and copy, not to edit.
    const ui::EmbeddedView* command = field("agents.command");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text, "xdg-open 'quorlix://agent?agent=other&event=working'");
    EXPECT_TRUE(command->readOnly);
    EXPECT_FALSE(command->setText);
}

}  // namespace pane_services_test
}  // namespace
}  // namespace quorlix
