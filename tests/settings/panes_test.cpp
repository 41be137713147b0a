// The panes in the settings window on the fake platform, over the real settings store in a
// temporary home: each control driven through pointer and field events, and the value read
// back from the settings file.

#include "settings/accessory_timer_calendar_panes.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace panes_test {

using S = SettingsSection;

class PanesTest : public testing::SettingsFixture {
protected:
    // Clicks the text `text` inside the view `container`.
    void clickTextIn(const std::string& container, const std::string& text) {
        reveal(container);
        const ui::DisplayItem* box = shown().findId(container);
        ASSERT_NE(box, nullptr) << container;
        const ui::DisplayItem* label = box->findText(text);
        ASSERT_NE(label, nullptr) << text;
        const Rect r = shown().drawnFrame(label);
        window().click({r.midX(), r.midY()});
        settle();
    }
    void drag(const std::string& id, const std::vector<double>& shares, double pause = 0) {
        reveal(id);
        window().host().events().pointerPressed(sliderPoint(id, shares.front()));
        for (const double share : shares) {
            window().host().events().pointerMoved(sliderPoint(id, share));
            fake.time.advance(pause);
            window().host().render();
        }
        window().host().events().pointerReleased(sliderPoint(id, shares.back()));
        settle();
    }
};

TEST_F(PanesTest, EverySwitchWritesItsKey) {
    struct Case {
        S section;
        const char* title;
        Published<bool> AppSettings::*key;
        const char* name;
    };
    const std::vector<Case> cases{
        {S::media, "Reproductor", &AppSettings::mediaEnabled, "mediaEnabled"},
        {S::media, "Actividad en vivo en el notch", &AppSettings::liveActivity, "liveActivity"},
        {S::media, "Color de la canción", &AppSettings::tintWithArtwork, "tintWithArtwork"},
        {S::media, "Contraer al pausar", &AppSettings::collapseOnPause, "collapseOnPause"},
        {S::tray, "Bandeja de archivos", &AppSettings::trayEnabled, "trayEnabled"},
        {S::tray, "Abrir la bandeja al arrastrar un archivo", &AppSettings::openTrayOnDrag, "openTrayOnDrag"},
        {S::volume, "Volumen", &AppSettings::volumeHUD, "volumeHUD"},
        {S::volume, "Brillo", &AppSettings::brightnessHUD, "brightnessHUD"},
        {S::volume, "Ocultar los avisos del sistema", &AppSettings::replaceSystemHUD, "replaceSystemHUD"},
        {S::battery, "Aviso al conectar el cargador", &AppSettings::chargerHUD, "chargerHUD"},
        {S::focus, "Aviso de No molestar", &AppSettings::focusAlerts, "focusAlerts"},
        {S::weather, "Mostrar el clima", &AppSettings::weatherEnabled, "weatherEnabled"},
        {S::weather, "Grados Fahrenheit", &AppSettings::useFahrenheit, "useFahrenheit"},
        {S::lockScreen, "Reproductor en la pantalla de bloqueo", &AppSettings::lockScreenEnabled,
         "lockScreenEnabled"},
        {S::lockScreen, "Portada completa", &AppSettings::lockScreenFullArtwork, "lockScreenFullArtwork"},
        {S::lockScreen, "Letras", &AppSettings::lyricsEnabled, "lyricsEnabled"},
        {S::lockScreen, "Sonido al bloquear", &AppSettings::lockSound, "lockSound"},
        {S::lockScreen, "Sonido al desbloquear", &AppSettings::unlockSound, "unlockSound"},
        {S::accessories, "Al conectar tus audífonos", &AppSettings::deviceHUD, "deviceHUD"},
        {S::accessories, "Al cambiar la salida de audio", &AppSettings::outputHUD, "outputHUD"},
        {S::accessories, "Batería de cada audífono", &AppSettings::deviceBatteryDetail,
         "deviceBatteryDetail"},
        {S::timer, "Sonido al terminar", &AppSettings::timerSound, "timerSound"},
        {S::calendar, "Página de calendario", &AppSettings::calendarEnabled, "calendarEnabled"},
        {S::calendar, "Avisarme antes de cada evento", &AppSettings::calendarReminders, "calendarReminders"},
        {S::privacy, "Avisos de micrófono y cámara", &AppSettings::privacyAlerts, "privacyAlerts"},
        {S::privacy, "Aviso de batería baja", &AppSettings::lowBatteryAlert, "lowBatteryAlert"},
        {S::agents, "Avisos de agentes de IA", &AppSettings::agentAlerts, "agentAlerts"},
        {S::agents, "Sonido al terminar o si te necesita", &AppSettings::agentSound, "agentSound"},
        {S::agents, "Gemini, ChatGPT y Claude en el navegador", &AppSettings::browserAI, "browserAI"},
    };
    for (const Case& c : cases) {
        show(c.section);
        const std::string id = std::string("toggle:") + c.title;
        reveal(id);
        const bool before = (app->settings.*c.key).get();
        click(id);
        EXPECT_EQ((app->settings.*c.key).get(), !before) << c.title;
        EXPECT_EQ(stored()[c.name], !before) << c.title;
    }
}

TEST_F(PanesTest, EachPickerOptionIsStored) {
    struct Case {
        S section;
        std::string container;  // the control
        std::string text;       // what is pressed: a caption, else an option's id
        const char* key;
        const char* value;
    };
    const std::vector<Case> cases{
        {S::media, "picker.strip", "Spotify", "mediaSource", "spotify"},
        {S::media, "picker.strip", "Música", "mediaSource", "music"},
        {S::media, "picker.strip", "Auto", "mediaSource", "auto"},
        {S::media, "left:favorite", "", "leftButton", "favorite"},
        {S::media, "left:repeatMode", "", "leftButton", "repeatMode"},
        {S::media, "left:none", "", "leftButton", "none"},
        {S::media, "left:shuffle", "", "leftButton", "shuffle"},
        {S::battery, "picker.strip", "Contorno", "batteryStyle", "outline"},
        {S::battery, "picker.strip", "Relleno", "batteryStyle", "filled"},
        {S::accessories, "picker.strip", "Plano", "accessoryStyle", "flat"},
        {S::accessories, "picker.strip", "3D", "accessoryStyle", "realistic"},
        {S::lockScreen, "pane.content", "Esmerilado", "lockGlassStyle", "frosted"},
        {S::lockScreen, "pane.content", "Transparente", "lockGlassStyle", "clear"},
    };
    for (const Case& c : cases) {
        show(c.section);
        if (c.text.empty()) {
            reveal(c.container);
            click(c.container);
        } else {
            clickTextIn(c.container, c.text);
        }
        EXPECT_EQ(stored()[c.key], c.value) << c.container << " " << c.text;
    }
    // The preview that was chosen is built anew, so it plays its entrance again.
    show(S::accessories);
    EXPECT_TRUE(has("realistictrue"));
    EXPECT_TRUE(has("flatfalse"));
}

TEST_F(PanesTest, TheSlidersWriteTheirKeysAsTheirRowsSay) {
    // The hide delay: each position stores its step at once.
    app->settings.hideAfterPause = 601;
    show(S::media);
    std::vector<double> delays;
    for (int position = 0; position <= 5; ++position) {
        pressSlider("hideAfter", position / 5.0);
        delays.push_back(stored()["hideAfterPause"]);
    }
    EXPECT_EQ(delays, (std::vector<double>{0, 5, 15, 30, 60, 601}));
    EXPECT_NE(shown().findText("Nunca"), nullptr);

    // The lyrics offset: every step of a drag is written as it happens.
    show(S::lockScreen);
    std::vector<double> offsets;
    auto watch = app->settings.lyricsOffset.sink([&](double v) { offsets.push_back(v); });
    std::vector<double> shares;
    for (double v = 0; v <= 0.52; v += 0.02) shares.push_back((v + 1.5) / 3);
    drag("lyricsTiming", shares);
    EXPECT_EQ(offsets, (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5}));
    EXPECT_EQ(stored()["lyricsOffset"], 0.5);
    EXPECT_NE(shown().findText("500"), nullptr);

    // The sound volume: one write, a quarter second after the drag.
    int volumeWrites = 0;
    auto volumeWatch = app->settings.soundVolume.sink([&](double) { ++volumeWrites; });
    drag("soundVolume", {0.2, 0.4, 0.55, 0.7}, 0.1);
    EXPECT_EQ(volumeWrites, 0);
    fake.time.advance(0.25);
    EXPECT_EQ(volumeWrites, 1);
    EXPECT_NEAR(stored()["soundVolume"].get<double>(), 0.7, 1e-9);
}

TEST_F(PanesTest, TheCityIsSavedVerbatimByGuardarOrReturnAndTheMinutesByTheMenu) {
    show(S::weather);
    ASSERT_NE(field("city.field"), nullptr);
    field("city.field")->setText("  San José ");
    settle();
    ASSERT_TRUE(has("city.save"));
    click("city.save");
    EXPECT_EQ(stored()["weatherCity"], "  San José ");
    EXPECT_FALSE(has("city.save"));

    // Typing the saved city back hides the button without a save; Return saves.
    int writes = 0;
    auto watch = app->settings.weatherCity.sink([&](const std::string&) { ++writes; });
    field("city.field")->setText("Lima");
    settle();
    EXPECT_TRUE(has("city.save"));
    field("city.field")->setText("  San José ");
    settle();
    EXPECT_FALSE(has("city.save"));
    EXPECT_EQ(writes, 0);
    field("city.field")->setText("   ");
    field("city.field")->onSubmit();
    settle();
    EXPECT_EQ(stored()["weatherCity"], "   ");

    // An unsaved edit is dropped when the pane comes back.
    field("city.field")->setText("Quito");
    show(S::media);
    show(S::weather);
    EXPECT_EQ(field("city.field")->text, "   ");

    // The reminder's lead time: a pop-up of four choices, the current one checked.
    std::vector<ui::MenuItem> menu;
    window().host().events().showMenu = [&](const std::vector<ui::MenuItem>& items, Point) { menu = items; };
    show(S::calendar);
    std::vector<double> minutes;
    for (std::size_t i = 0; i < CalendarPane::reminderChoices.size(); ++i) {
        menu.clear();
        click("reminder.menu");
        ASSERT_EQ(menu.size(), 4u);
        EXPECT_EQ(menu[i].title, CalendarPane::reminderChoices[i].text);
        menu[i].action();
        settle();
        minutes.push_back(stored()["calendarReminderMinutes"]);
        EXPECT_NE(shown().findText(menu[i].title), nullptr);
    }
    EXPECT_EQ(minutes, (std::vector<double>{1, 5, 10, 15}));
    click("reminder.menu");
    EXPECT_TRUE(menu[3].checked);
    EXPECT_FALSE(menu[1].checked);
}

TEST_F(PanesTest, ControlsThatDependOnAnotherSettingIgnoreThePointerWhileItIsOff) {
    // The source picker follows the player switch.
    app->settings.mediaEnabled = false;
    show(S::media);
    clickTextIn("picker.strip", "Spotify");
    EXPECT_EQ(app->settings.mediaSource.get(), MediaSourcePreference::automatic);

    // The hide delay follows "Contraer al pausar", dimmed while it is off.
    app->settings.collapseOnPause = false;
    settle();
    pressSlider("hideAfter", 1);
    EXPECT_EQ(app->settings.hideAfterPause.get(), 0);
    EXPECT_EQ(opacity("hideAfter"), 0.5);

    // The lyrics timing follows "Letras"; the sound volume and its test, both sound switches.
    app->settings.lyricsEnabled = false;
    app->settings.lockSound = false;
    app->settings.unlockSound = false;
    show(S::lockScreen);
    pressSlider("lyricsTiming", 1);
    EXPECT_EQ(app->settings.lyricsOffset.get(), 0);
    EXPECT_EQ(opacity("lyricsTiming"), 0.5);
    reveal("sound.test");
    click("sound.test");
    EXPECT_TRUE(fake.soundPlayer.created.empty());
    EXPECT_EQ(opacity("soundVolume"), 0.5);
    app->settings.unlockSound = true;  // one of them is enough
    settle();
    EXPECT_EQ(opacity("soundVolume"), 1);
    click("sound.test");
    EXPECT_EQ(fake.soundPlayer.created.size(), 1u);
    fake.time.advance(10);  // the second sound, and both released

    // The minutes follow the reminders, not the calendar page.
    int menus = 0;
    window().host().events().showMenu = [&](const std::vector<ui::MenuItem>&, Point) { ++menus; };
    app->settings.calendarEnabled = false;
    show(S::calendar);
    click("reminder.menu");
    EXPECT_EQ(menus, 1);
    app->settings.calendarReminders = false;
    settle();
    click("reminder.menu");
    EXPECT_EQ(menus, 1);
}

}  // namespace panes_test
}  // namespace
}  // namespace quorlix
