// The Updates pane in the settings window on the fake platform, over an updater of its own
// whose site answers through the fake HTTP client: what each state shows, what each button
// asks of the service, the last-check line, the notes and the footnote.

#include "settings/updates_pane.h"
#include "fakes/update_fixtures.h"
#include "platform/paths.h"
#include "services/date_text.h"
#include "settings/application_icon.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using State = UpdateService::State;
using Item = ui::DisplayItem;

const std::string site = "https://quorlix.halvik.com";

class UpdatesPaneTest : public testing::SettingsFixture {
protected:
    std::filesystem::path folder = std::filesystem::canonical(fake.home.path()) / "Applications" / "Quorlix";
    testing::ScopedEnvironment tmpdir{"TMPDIR", fake.home.path().string()};
    UpdateService updates{{&fake.httpClient,
                           &fake.workspace,
                           &fake.processLauncher,
                           &fake.utilityQueue,
                           site,
                           UpdateService::signingKey,
                           folder,
                           4242,
                           {}}};

    UpdatesPaneTest() {
        testing::writeApplication(folder, UpdateService::currentVersion());
        controller = std::make_unique<SettingsWindowController>(
            fake.windows, SettingsWindowController::Services{app->settings, app->weather, updates,
                                                             app->battery, app->agents, app->browserAI});
    }
    ~UpdatesPaneTest() override { controller.reset(); }

    static UpdateManifest offer(bool signedUpdate) {
        UpdateManifest m{UpdateService::currentVersion() + ".1", {}, site + "/Quorlix.tar.xz", "Notas"};
        if (signedUpdate) m.sha256 = std::string(64, 'a'), m.signature = "c2ln";
        return m;
    }
    void refresh() {
        fake.time.runPending();
        window().host().render();
    }
    // Whether the view `id` holds an item that `match` accepts.
    bool holds(const std::string& id, const std::function<bool(const Item&)>& match) {
        const Item* item = shown().findId(id);
        return item && item->find(match);
    }
    // The one action button shown, by its id; empty for none.
    std::string button() {
        std::string found;
        for (const char* id : {"updates.check", "updates.download", "updates.install"})
            if (has(id)) found += id;
        return found;
    }
};

bool takesClicks(const Item& i) { return i.interaction && i.interaction->buttonAction; }
// The prominent style fills the button with the accent.
bool accentFill(const Item& i) { return i.fill && i.fill->color == ui::Color::quorlixAccent; }

TEST_F(UpdatesPaneTest, EachStateShowsItsLineAndOneFittingButton) {
    // The icon is the picture among the resources.
    const testing::ScopedEnvironment resources{"QUORLIX_RESOURCES", QUORLIX_RESOURCES_DIR};
    fake.imageDecoder.images[testing::readText(platform::Paths::applicationIcon())] =
        fakes::FakeImageDecoder::solid(8, 8, 10, 130, 255);
    ApplicationIcon::resetShared();
    updates.manifest = offer(true);
    updates.lastChecked = fake.time.clock.date();
    open(SettingsSection::updates);
    EXPECT_NE(shown().findText("Quorlix " + UpdateService::currentVersion()), nullptr);
    EXPECT_NE(shown().findText("Build " + UpdateService::currentBuild()), nullptr);
    EXPECT_EQ(shown().drawnFrame(shown().findRole("Image")).size, (Size{36, 36}));

    struct Case {
        State state;
        std::string text, symbol;  // no symbol beside the spinner
        std::optional<ui::Color> colour;
        std::string button;
        bool spinner = false;
    };
    const std::string incomplete = "La descarga llegó incompleta. Intenta de nuevo.";
    const std::vector<Case> cases = {
        {UpdateService::Idle{}, "Sin revisar", "", {}, "updates.check"},
        {UpdateService::Checking{}, "Buscando…", "", {}, "updates.check", true},
        {UpdateService::UpToDate{}, "Estás al día", "checkmark.circle.fill", ui::Color::green,
         "updates.check"},
        {UpdateService::Failed{}, "No se pudo revisar", "exclamationmark.circle", {}, "updates.check"},
        {UpdateService::Downloading{0.4}, "Descargando…", "", {}, "", true},
        {UpdateService::Installing{}, "Instalando… Quorlix se va a reabrir", "", {}, "", true},
        {UpdateService::InstallFailed{incomplete}, incomplete, "exclamationmark.triangle.fill",
         ui::Color::orange, "updates.download"},
        {UpdateService::Available{"2.0"}, "Quorlix 2.0 disponible", "arrow.down.circle.fill",
         ui::Color::quorlixAccent, "updates.install"},
    };
    for (const auto& c : cases) {
        updates.state = c.state;
        refresh();
        const Item* text = shown().findText(c.text);
        ASSERT_NE(text, nullptr) << c.text;
        if (c.colour) {
            EXPECT_EQ(text->textPaint.value_or(ui::Paint{}).color, *c.colour) << c.text;
        }
        const Item* symbol =
            shown().findId("updates.state")->find([](const Item& i) { return i.kind == Item::Kind::symbol; });
        EXPECT_EQ(symbol ? symbol->symbol : "", c.symbol) << c.text;
        EXPECT_EQ(has("updates.spinner"), c.spinner) << c.text;
        EXPECT_EQ(button(), c.button) << c.text;
        // Buscar waits for the check under way; the failed install's Descargar is the plain one.
        EXPECT_EQ(holds(c.button, takesClicks), !c.button.empty() && !c.spinner) << c.text;
        EXPECT_EQ(holds(c.button, accentFill), c.button == "updates.install") << c.text;
        // The notes go with an available update only, though the manifest stays.
        EXPECT_EQ(has("updates.notes"), c.button == "updates.install") << c.text;
        EXPECT_TRUE(has("updates.lastChecked")) << c.text;
    }
    ApplicationIcon::resetShared();
}

TEST_F(UpdatesPaneTest, TheButtonsCheckOpenThePageAndInstallThroughTheService) {
    open(SettingsSection::updates);
    EXPECT_FALSE(has("updates.lastChecked"));
    click("updates.check");
    click("updates.check");
    ASSERT_EQ(fake.httpClient.requests.size(), 1u) << "no second check while one runs";

    // Without a signature only the download page can give it.
    fake.httpClient.respond(0, 200, testing::manifestJSON(offer(false)));
    refresh();
    EXPECT_TRUE(has("updates.lastChecked"));
    ASSERT_EQ(button(), "updates.download");
    EXPECT_TRUE(holds("updates.download", accentFill));
    click("updates.download");
    EXPECT_EQ(fake.workspace.openedURLs, std::vector<std::string>{site + "/descargar.html"});

    // A check from the menu finds it signed: the pane follows, and installs.
    updates.check();
    fake.httpClient.respond(1, 200, testing::manifestJSON(offer(true)));
    refresh();
    click("updates.install");
    ASSERT_EQ(fake.httpClient.downloads.size(), 1u);
    EXPECT_NE(shown().findText("Descargando…"), nullptr);

    app->settings.autoCheckUpdates = true;
    click("toggle:Buscar actualizaciones automáticamente");
    EXPECT_FALSE(app->settings.autoCheckUpdates.get());
}

TEST(UpdatesPaneText, TheLastCheckIsAShortTimeAndTheFootnoteNamesTheSite) {
    const Date evening = *parseDate("2027-01-15T21:15", "yyyy-MM-dd'T'HH:mm");
    EXPECT_EQ(UpdatesPane::lastCheckedText(evening, "es_ES"), "Última revisión: 21:15");
    const std::string american = UpdatesPane::lastCheckedText(evening, "en_US");
    EXPECT_TRUE(american.starts_with("Última revisión: 9:15") && american.ends_with("PM")) << american;

    const std::string rest =
        " y solo se instalan si traen la firma de Quorlix. Con «Actualizar ahora» la app se cambia sola y se "
        "vuelve a abrir.";
    for (const auto& [url, host] : {std::pair{"https://quorlix.halvik.com", "quorlix.halvik.com"},
                                    {"https://quorlix.halvik.com:8443", "quorlix.halvik.com"},
                                    {"file:///opt/sitio", "el sitio de Quorlix"}})
        EXPECT_EQ(UpdatesPane::footnote(url),
                  std::string("Las actualizaciones se descargan desde ") + host + rest);
}

}  // namespace
}  // namespace quorlix
