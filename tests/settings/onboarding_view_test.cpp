// The onboarding window's views on a fake window and virtual time: the window, Return through
// the steps, the permission step as the trust and a lost grant change it, its switch, and the
// island demo's loop.

#include "settings/onboarding_view.h"

#include "fakes/fake_platform.h"
#include "fakes/fixed_font_engine.h"
#include "foundation/app_settings.h"
#include "island/equalizer_view.h"
#include "platform/user_defaults.h"
#include "services/update_service.h"
#include "settings/island_demo.h"
#include "settings/onboarding_steps.h"
#include "settings/permission_watcher.h"
#include "ui/ui.h"
#include "window/notch_window_controller.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace onboarding_view_test {

using Islands = std::vector<std::unique_ptr<NotchWindowController>>;

class OnboardingViewTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    Islands islands;
    std::unique_ptr<OnboardingController> controller = std::make_unique<OnboardingController>(
        [this](OnboardingController::Content content) {
            return OnboardingView::makeWindow(fake.windows, std::move(content), AppSettings::shared());
        },
        [this]() -> const Islands& { return islands; });

    ~OnboardingViewTest() override {
        controller.reset();
        fake.time.runPending();  // released windows go before their fakes
    }

    fakes::FakeWindow& window() { return *fake.windows.live.at(0); }
    const ui::DisplayItem& shown() { return window().shown(); }
    void show(bool startAtPermission) {
        controller->show(startAtPermission);
        settle();
    }
    // Lets every change and animation run its course.
    void settle(double seconds = 1.5) {
        fake.time.runPending();
        window().host().render();
        fake.time.advance(seconds);
        window().host().render();
    }
    bool has(std::string_view text) { return shown().findText(text) != nullptr; }
    void click(const ui::DisplayItem* item) {
        ASSERT_NE(item, nullptr);
        const Rect r = shown().drawnFrame(item);
        window().click({r.midX(), r.midY()});
        settle();
    }
    // The index of the wide dot, or -1.
    int wideDot() {
        const auto dots = shown().findAll([](const ui::DisplayItem& i) {
            return i.shape && i.frame.height() == 6 && (i.frame.width() == 6 || i.frame.width() == 16);
        });
        for (std::size_t n = 0; n < dots.size(); ++n)
            if (dots[n]->frame.width() == 16) return static_cast<int>(n);
        return -1;
    }
    // The opacity a text is drawn with, its ancestors' included; -1 when it is not shown.
    double opacityOf(std::string_view text) {
        double found = -1;
        const std::function<void(const ui::DisplayItem&, double)> walk = [&](const ui::DisplayItem& i,
                                                                             double o) {
            o *= i.opacity;
            if (i.kind == ui::DisplayItem::Kind::text && i.text == text) found = o;
            for (const auto& c : i.children) walk(c, o);
        };
        walk(shown(), 1);
        return found;
    }
};

TEST_F(OnboardingViewTest, AFloatingWindowWhoseStepsReturnWalksForwardToTheEnd) {
    show(false);
    const auto& options = window().options;
    EXPECT_EQ(options.size, (Size{460, 560}));
    EXPECT_TRUE(options.floating);
    EXPECT_TRUE(options.closeButtonOnly);
    EXPECT_FALSE(options.fitsContentHeight);
    EXPECT_TRUE(has("Bienvenido a Quorlix"));
    EXPECT_EQ(wideDot(), 0);

    ASSERT_TRUE(window().pressReturn());
    settle();
    EXPECT_FALSE(has("Bienvenido a Quorlix"));
    EXPECT_TRUE(has("Un permiso y listo"));
    EXPECT_EQ(wideDot(), 1);

    // Pressed again while the gestures push in: the leaving step's button takes no Return.
    ASSERT_TRUE(window().pressReturn());
    fake.time.advance(0.1);
    window().host().render();
    EXPECT_TRUE(has("Un permiso y listo")) << "still leaving";
    ASSERT_TRUE(window().pressReturn());
    EXPECT_TRUE(platform::UserDefaults::standard().boolForKey("didShowWelcome"));
    EXPECT_EQ(controller->window(), nullptr);
}

TEST_F(OnboardingViewTest, StartedAtThePermissionItOpensThereAndButtonsLeadOnlyForward) {
    show(true);
    EXPECT_TRUE(has("Un permiso y listo"));
    EXPECT_EQ(wideDot(), 1);
    // "Permitir" asks once and leaves the step where it is.
    click(shown().findId("permission.allow"));
    EXPECT_EQ(fake.accessibilityTrust.prompts, 1);
    EXPECT_EQ(wideDot(), 1);

    click(shown().findText("Después"));
    EXPECT_TRUE(has("Así se usa"));
    EXPECT_EQ(wideDot(), 2);
    for (const char* title : {"Pasa el mouse por el notch", "Desliza dos dedos de lado",
                              "El volumen con la rueda", "Arrastra un archivo al notch"})
        EXPECT_TRUE(has(title)) << title;
    // The window's own close button ends nothing, and the trust is not polled while hidden.
    auto& defaults = platform::UserDefaults::standard();
    defaults.removeObject("accessibilityTrustedBuild");
    window().close();
    EXPECT_FALSE(defaults.boolForKey("didShowWelcome"));
    EXPECT_NE(controller->window(), nullptr);
    fake.accessibilityTrust.trusted = true;
    fake.time.advance(3 * PermissionWatcher::pollInterval);
    EXPECT_FALSE(defaults.hasStoredValue("accessibilityTrustedBuild"));
    // Shown again, as it was, polling again.
    show(false);
    EXPECT_TRUE(has("Así se usa"));
    fake.time.advance(PermissionWatcher::pollInterval);
    EXPECT_EQ(defaults.stringForKey("accessibilityTrustedBuild"), UpdateService::currentBuild());
}

TEST_F(OnboardingViewTest, ThePermissionStepFollowsTheTrustAndALostGrant) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setString("accessibilityTrustedBuild", UpdateService::currentBuild() + "-anterior");
    show(true);
    EXPECT_TRUE(has("Vuelve a dar el permiso"));
    EXPECT_TRUE(
        has("Quorlix se actualizó y el sistema pide confirmar el permiso otra vez. Toma dos segundos."));
    EXPECT_TRUE(has("Se da solo en una sesión X11"));
    EXPECT_TRUE(has("Si abriste Quorlix fuera de tu sesión, ciérralo y vuélvelo a abrir."));
    EXPECT_DOUBLE_EQ(opacityOf("Después"), 0.85);
    EXPECT_NE(shown().findSymbol("hand.raised.fill"), nullptr);

    // Granted while the step is shown: within a poll, without a change of step.
    fake.accessibilityTrust.trusted = true;
    fake.time.advance(PermissionWatcher::pollInterval);
    settle();
    EXPECT_TRUE(has("Un permiso y listo"));
    EXPECT_TRUE(has("Listo"));
    EXPECT_NE(shown().findSymbol("checkmark.shield.fill"), nullptr);
    EXPECT_NE(shown().findSymbol("checkmark.circle.fill"), nullptr);
    EXPECT_EQ(shown().findId("permission.allow"), nullptr);
    EXPECT_FALSE(has("Si abriste Quorlix fuera de tu sesión, ciérralo y vuélvelo a abrir."));
    EXPECT_DOUBLE_EQ(opacityOf("Continuar"), 1.0);
    EXPECT_TRUE(
        has("La música no pide permiso: lo que suena en Spotify, VLC, mpv o tu navegador llega solo a "
            "la isla."));
    EXPECT_EQ(defaults.stringForKey("accessibilityTrustedBuild"), UpdateService::currentBuild());
    EXPECT_EQ(wideDot(), 1);

    // Withdrawn under this build: never given, as far as the step can tell.
    fake.accessibilityTrust.trusted = false;
    fake.time.advance(PermissionWatcher::pollInterval);
    settle();
    EXPECT_TRUE(has("Un permiso y listo"));
    EXPECT_TRUE(
        has("Quorlix necesita Accesibilidad para leer las teclas de volumen y brillo, saber si "
            "prendes No molestar y entender tus gestos sobre el notch."));
    EXPECT_NE(shown().findSymbol("hand.raised.fill"), nullptr);
    EXPECT_DOUBLE_EQ(opacityOf("Después"), 0.85);

    // The poll ends with the view.
    defaults.removeObject("accessibilityTrustedBuild");
    ASSERT_TRUE(window().pressReturn());
    ASSERT_TRUE(window().pressReturn());
    fake.time.runPending();
    ASSERT_TRUE(fake.windows.live.empty());
    fake.accessibilityTrust.trusted = true;
    fake.time.advance(5);
    EXPECT_FALSE(defaults.hasStoredValue("accessibilityTrustedBuild"));
}

TEST_F(OnboardingViewTest, WhereTheTrustCanNeverBeGrantedTheStepSaysWhyAndOffersNoButtonForIt) {
    // A build trusted in an X11 session, run now in a Wayland one.
    fake.accessibilityTrust.grantable = false;
    platform::UserDefaults::standard().setString("accessibilityTrustedBuild", "anterior");
    show(true);
    // The step says what it is: the keys stay with the desktop, nothing is asked for.
    EXPECT_TRUE(has("Teclas del escritorio"));
    EXPECT_TRUE(
        has("En Wayland no hay permiso que dar. No molestar y tus gestos sobre el notch funcionan igual."));
    EXPECT_FALSE(has("Un permiso y listo"));
    EXPECT_FALSE(has("Vuelve a dar el permiso")) << "no update took anything";
    EXPECT_TRUE(has("No disponible en Wayland"));
    EXPECT_TRUE(has(PermissionStepTexts::unavailableNote));
    EXPECT_FALSE(has("Si abriste Quorlix fuera de tu sesión, ciérralo y vuélvelo a abrir."));
    // Its two notes read alike: every line of each is centred.
    for (const char* id : {"onboarding.hint", "onboarding.musicNote"}) {
        const ui::DisplayItem* block = shown().findId(id);
        const ui::DisplayItem* note =
            block
                ? block->find([](const ui::DisplayItem& i) { return i.kind == ui::DisplayItem::Kind::text; })
                : nullptr;
        ASSERT_NE(note, nullptr) << id;
        ASSERT_GT(note->runs.size(), 1u) << id << " fits one line: the test tells nothing";
        for (const ui::TextRun& line : note->runs)
            EXPECT_NEAR(line.origin.x + line.width / 2, note->frame.midX(), 0.5) << id << ": " << line.text;
    }
    EXPECT_EQ(shown().findId("permission.allow"), nullptr);
    EXPECT_DOUBLE_EQ(opacityOf("Continuar"), 1.0);
    click(shown().findText("Continuar"));
    EXPECT_TRUE(has("Así se usa"));
    EXPECT_EQ(fake.accessibilityTrust.prompts, 0);
}

// The gestures step shows the gestures of the open mode in effect: where the pointer opens the
// island, it opens it before a wheel or a swipe reaches the closed island.
TEST_F(OnboardingViewTest, TheGesturesAreThoseOfTheOpenModeInEffect) {
    struct Case {
        IslandOpenMode mode;
        bool scrollForVolume;
        bool swipeBetweenPages;
        std::vector<std::string_view> shown, absent;
    };
    const Case cases[] = {
        {IslandOpenMode::hover,
         true,
         true,
         {"Pasa el mouse por el notch", "Con la isla abierta pasas de página.", "El volumen con la rueda"},
         {"Haz clic en el notch", "Desliza arriba o abajo"}},
        {IslandOpenMode::hover,
         false,
         false,
         {"Con la isla abierta en tu música, cambias de canción."},
         {"El volumen con la rueda", "Desliza arriba o abajo"}},
        {IslandOpenMode::click,
         true,
         true,
         {"Haz clic en el notch", "Sobre el notch cambias de canción; con la isla abierta, de página.",
          "Desliza arriba o abajo"},
         {"Pasa el mouse por el notch", "El volumen con la rueda"}},
        {IslandOpenMode::click, false, true, {"Haz clic en el notch"}, {"Desliza arriba o abajo"}},
    };
    AppSettings& settings = AppSettings::shared();
    fakes::FixedFontEngine fonts;
    for (const Case& c : cases) {
        settings.openMode = c.mode;
        settings.scrollForVolume = c.scrollForVolume;
        settings.swipeBetweenPages = c.swipeBetweenPages;
        ui::ViewHost host(fonts, OnboardingView{.step = OnboardingSteps::gestures},
                          {OnboardingView::width, OnboardingView::height},
                          ui::EnvironmentValues{}.settingObject(settings));
        host.render();
        const std::string where = std::string(rawValue(c.mode)) + (c.scrollForVolume ? ", wheel" : "") +
                                  (c.swipeBetweenPages ? ", pages" : "");
        for (const auto text : c.shown)
            EXPECT_NE(host.displayList().findText(text), nullptr) << where << ": " << text;
        for (const auto text : c.absent)
            EXPECT_EQ(host.displayList().findText(text), nullptr) << where << ": " << text;
        EXPECT_NE(host.displayList().findText("Arrastra un archivo al notch"), nullptr) << where;
    }
}

TEST_F(OnboardingViewTest, TheLoginSwitchShowsAndWritesTheLoginItem) {
    fake.loginItem.enabled = true;
    show(true);
    const auto knobOffset = [&] {
        const ui::DisplayItem* toggle = shown().findId("onboarding.login");
        const ui::DisplayItem* knob =
            toggle ? toggle->find([](const ui::DisplayItem& i) { return i.shape && i.frame.width() == 19; })
                   : nullptr;
        return knob ? shown().drawnFrame(knob).minX() - shown().drawnFrame(toggle).minX() : -1.0;
    };
    EXPECT_GT(knobOffset(), 10);
    click(shown().findId("onboarding.login"));
    EXPECT_FALSE(fake.loginItem.enabled);
    EXPECT_LT(knobOffset(), 5);
    // Registered elsewhere: the next render shows it.
    fake.loginItem.enabled = true;
    AppSettings::shared().objectWillChange.emit();
    settle();
    EXPECT_GT(knobOffset(), 10);
}

// While the demo opens or closes, its one equalizer moves with the spring: the lines coming
// and going beside it never leave a second one fading where the first stood.
TEST_F(OnboardingViewTest, TheDemoKeepsOneEqualizerThroughItsSprings) {
    controller->show(false);
    fake.time.runPending();
    const auto bars = [&] {
        window().host().render();
        return window()
            .host()
            .displayList()
            .findAll([](const ui::DisplayItem& i) {
                return i.kind == ui::DisplayItem::Kind::shape && i.fill && i.fill->color == ui::Color::pink;
            })
            .size();
    };
    const std::size_t five = EqualizerView::nowPlayingBars().size();
    EXPECT_EQ(bars(), five);
    for (const double step : {0.55, 0.1, 0.2, 2.0, 0.1, 0.2}) {
        fake.time.advance(step);
        EXPECT_EQ(bars(), five) << "at " << fake.time.now();
    }
}

TEST_F(OnboardingViewTest, TheDemoOpensAtHalfASecondClosesAtTwoPointSevenAndStopsWithTheWelcome) {
    controller->show(false);
    fake.time.runPending();  // on screen: the loop starts
    const auto body = [&] {
        window().host().render();
        const ui::DisplayItem& laidOut = window().host().graph().displayList();
        const ui::DisplayItem* item = laidOut.findId("demo.body");
        return item ? laidOut.drawnFrame(item).size : Size{};
    };
    const auto lines = [&] { return window().host().graph().displayList().findId("demo.lines") != nullptr; };
    EXPECT_EQ(body(), IslandDemo::closedSize);
    EXPECT_FALSE(lines());
    fake.time.advance(0.49);
    EXPECT_EQ(body(), IslandDemo::closedSize);
    fake.time.advance(0.01);
    EXPECT_EQ(body(), IslandDemo::openSize);
    EXPECT_TRUE(lines());
    fake.time.advance(2.19);
    EXPECT_EQ(body(), IslandDemo::openSize);
    fake.time.advance(0.01);
    EXPECT_EQ(body(), IslandDemo::closedSize);
    EXPECT_FALSE(lines());

    // Gone with the welcome, the demo changes nothing more: nothing is drawn again.
    ASSERT_TRUE(window().pressReturn());
    settle();
    ASSERT_EQ(shown().findId("demo.body"), nullptr);
    int frames = 0;
    window().host().onFrame = [&] { ++frames; };
    fake.time.advance(10);
    EXPECT_EQ(frames, 0);
}

// Frames come only while something moves: on the welcome the demo's spring and then only its
// equalizer's entries (no animation runs between its steps); on a step where nothing moves,
// none at all until the next step begins.
TEST_F(OnboardingViewTest, FramesComeOnlyWhileSomethingInTheWindowMoves) {
    controller->show(false);
    fake.time.runPending();
    ui::ViewHost& host = window().host();
    int frames = 0;
    host.onFrame = [&] { ++frames; };
    // The demo opens at 0.5 s and its spring settles well before it closes at 2.7 s.
    fake.time.advance(2.2);
    EXPECT_FALSE(host.graph().isAnimating());
    frames = 0;
    fake.time.advance(0.49);
    EXPECT_FALSE(host.graph().isAnimating());
    // The equalizer's entries alone: at most one each 1/30 s.
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 0.49 * 30 + 1);
    fake.time.advance(0.02);  // the demo closes: its spring runs
    EXPECT_TRUE(host.graph().isAnimating());

    // The permission step has nothing that moves: once its push has settled, no frame.
    ASSERT_TRUE(window().pressReturn());
    settle();
    ASSERT_TRUE(has("Permitir"));
    frames = 0;
    fake.time.advance(10);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(host.isFrameScheduled());
    // The next step begins: frames again, for its push.
    ASSERT_TRUE(window().pressReturn());
    EXPECT_TRUE(host.graph().isAnimating() || host.isFrameScheduled());
    fake.time.advance(0.1);
    EXPECT_GT(frames, 0);
}

}  // namespace onboarding_view_test
}  // namespace
}  // namespace quorlix
