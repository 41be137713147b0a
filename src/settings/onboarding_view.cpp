#include "settings/onboarding_view.h"

#include "foundation/app_settings.h"
#include "settings/application_icon.h"
#include "settings/island_demo.h"
#include "settings/onboarding_steps.h"
#include "settings/permission_watcher.h"
#include "settings/setting_rows.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

namespace {

const Color secondaryText = Color::white.opacity(0.62);
const Color noteText = Color::white.opacity(0.45);

// A symbol on a small rounded tile, as the rows and tips show theirs.
View tile(const std::string& symbol, double fontSize, double side, double radius, double fill) {
    return Symbol(symbol)
        .font(Font::system(fontSize, FontWeight::semibold))
        .frame({.width = side, .height = side})
        .background(
            RoundedRectangle(radius, RoundedCornerStyle::continuous).fill(Color::white.opacity(fill)));
}

// A centred paragraph that wraps and is never cut.
View paragraph(const std::string& text, double size) {
    return Text(text)
        .font(Font::system(size))
        .foregroundStyle(secondaryText)
        .multilineTextAlignment(TextAlignment::center)
        .fixedSize(false, true);
}

// A note under the permission card: small, dim, centred and wrapping like the paragraphs.
View note(const std::string& text) {
    return Text(text)
        .font(Font::system(11.5))
        .foregroundStyle(noteText)
        .multilineTextAlignment(TextAlignment::center)
        .fixedSize(false, true)
        .padding(Edges::horizontal, 40);
}

View dots(int step) { return View(StepDots{step}).padding(Edge::top, 18).padding(Edge::bottom, 26); }

View applicationIcon() {
    const auto& icon = ApplicationIcon::image();
    // Without its file the icon's place stays, so the column keeps its layout.
    const View picture = icon ? View(Image(*icon).resizable()) : View(Color::clear);
    return picture.frame({.width = 76, .height = 76}).shadow(Color::black.opacity(0.4), 14, 0, 8);
}

View welcome(State<int> step) {
    return VStack(
        {.alignment = HorizontalAlignment::center, .spacing = 0},
        {
            View(IslandDemo{}).frame({.height = 130}),
            applicationIcon().padding(Edge::top, 18),
            Text("Bienvenido a Quorlix").font(Font::system(26, FontWeight::bold)).padding(Edge::top, 18),
            paragraph("Tu notch se vuelve una isla viva: tu música, el volumen, la carga, tus AirPods, "
                      "tus agentes de IA y más, justo donde ya estás mirando.",
                      13.5)
                .padding(Edges::horizontal, 44)
                .padding(Edge::top, 10),
            Spacer(),
            PrimaryButton{"Empezar", [step] { step = OnboardingSteps::permission; }},
            dots(OnboardingSteps::welcome),
        });
}

View permissionColumn(State<int> step, const std::shared_ptr<PermissionWatcher>& permissions,
                      AppSettings& settings) {
    const bool granted = permissions->accessibility.get();
    const bool grantable = permissions->canBeGranted();
    const PermissionStepTexts texts =
        PermissionStepTexts::make(granted, permissions->lostAfterUpdate(), grantable);
    const std::weak_ptr<PermissionWatcher> watcher = permissions;
    // No button that could do nothing.
    std::function<void()> request;
    if (grantable)
        request = [watcher] {
            if (const auto w = watcher.lock()) w->request();
        };

    const View badge = ZStack({
        Circle().fill(Color::quorlixAccent.opacity(0.18)).frame({.width = 92, .height = 92}),
        Symbol(texts.badgeSymbol)
            .font(Font::system(38, FontWeight::semibold))
            .foregroundStyle(granted ? Color::green : Color::quorlixAccent)
            .contentTransition(ContentTransition::symbolReplace())
            .id("onboarding.shield"),
    });
    const View card =
        VStack(
            {.alignment = HorizontalAlignment::center, .spacing = 0},
            {
                PermissionRow{"accessibility", "Accesibilidad", texts.detail, granted, request},
                Rectangle().fill(Color::white.opacity(0.07)).frame({.height = 1}).padding(Edge::leading, 52),
                HStack({.alignment = VerticalAlignment::center, .spacing = 12},
                       {
                           tile("power", 14, 28, 7, 0.11),
                           Text("Abrir al iniciar sesión").font(Font::system(13.5, FontWeight::medium)),
                           Spacer(),
                           // Asks the login item at each render: the switch shows the system's state.
                           View(Toggle(launchAtLoginBinding(settings))).id("onboarding.login"),
                       })
                    .padding(Edges::horizontal, 14)
                    .frame({.height = 56}),
            })
            // The border lies under the rows, so it never takes their clicks.
            .background(ZStack({
                RoundedRectangle(14, RoundedCornerStyle::continuous).fill(Color::white.opacity(0.075)),
                RoundedRectangle(14, RoundedCornerStyle::continuous)
                    .strokeBorder(Color::white.opacity(0.07), 0.5),
            }))
            .padding(Edges::horizontal, 30)
            .padding(Edge::top, 22);

    Views column{
        Spacer(46),
        badge,
        Text(texts.title)
            .font(Font::system(24, FontWeight::bold))
            .padding(Edge::top, 18)
            .id("onboarding.title"),
        paragraph(texts.body, 13).padding(Edges::horizontal, 44).padding(Edge::top, 8),
        card,
    };
    if (texts.hint) column.push_back(note(*texts.hint).padding(Edge::top, 10).id("onboarding.hint"));
    column.push_back(note("La música no pide permiso: lo que suena en Spotify, VLC, mpv o tu navegador llega "
                          "solo a la isla.")
                         .padding(Edge::top, 6)
                         .id("onboarding.musicNote"));
    column.push_back(Spacer());
    column.push_back(View(PrimaryButton{texts.buttonTitle, [step] { step = OnboardingSteps::gestures; }})
                         .opacity(texts.buttonOpacity));
    column.push_back(dots(OnboardingSteps::permission));
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 0}, std::move(column));
}

// The gestures of the open mode in effect: where the pointer opens the island, it opens it
// before a wheel or a swipe reaches the closed island.
Views gestureTips(const AppSettings& settings) {
    const bool hover = settings.openMode.get() == IslandOpenMode::hover;
    Views tips;
    if (hover) {
        tips.push_back(Tip{"cursorarrow.motionlines", "Pasa el mouse por el notch",
                           "La isla se abre con tu música, el clima, tus archivos y más."});
        tips.push_back(Tip{"hand.draw.fill", "Desliza dos dedos de lado",
                           settings.swipeBetweenPages.get()
                               ? "Con la isla abierta pasas de página."
                               : "Con la isla abierta en tu música, cambias de canción."});
        if (settings.scrollForVolume.get())
            tips.push_back(
                Tip{"cursorarrow.click", "El volumen con la rueda",
                    "Elige abrir la isla «Al hacer clic» en Ajustes: así la rueda llega al notch."});
    } else {
        tips.push_back(Tip{"cursorarrow.click", "Haz clic en el notch",
                           "La isla se abre con tu música, el clima, tus archivos y más."});
        tips.push_back(Tip{"hand.draw.fill", "Desliza dos dedos de lado",
                           "Sobre el notch cambias de canción; con la isla abierta, de página."});
        if (settings.scrollForVolume.get())
            tips.push_back(Tip{"arrow.up.and.down", "Desliza arriba o abajo",
                               "Sube o baja el volumen sin tocar el teclado."});
    }
    tips.push_back(Tip{"tray.and.arrow.down.fill", "Arrastra un archivo al notch",
                       "Se queda en la bandeja hasta que lo sueltes en otro lado."});
    return tips;
}

View gestures(const std::function<void()>& done, const AppSettings& settings) {
    return VStack(
        {.alignment = HorizontalAlignment::center, .spacing = 0},
        {
            Spacer(46),
            Text("Así se usa").font(Font::system(26, FontWeight::bold)),
            Text("Todo pasa arriba, en el notch.")
                .font(Font::system(13.5))
                .foregroundStyle(secondaryText)
                .padding(Edge::top, 6),
            VStack({.alignment = HorizontalAlignment::leading, .spacing = 18}, gestureTips(settings))
                .padding(Edges::horizontal, 40)
                .padding(Edge::top, 28),
            Spacer(),
            PrimaryButton{"Abrir Quorlix", done},
            dots(OnboardingSteps::gestures),
        });
}

}  // namespace

View OnboardingView::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    auto step = ctx.state<int>(this->step);
    const auto permissions = ctx.stateObject<PermissionWatcher>(
        [given = this->permissions] { return given ? given : std::make_shared<PermissionWatcher>(); });
    const std::weak_ptr<PermissionWatcher> watcher = permissions;

    const int current = step.get();
    View column;
    const char* name = "gestures";
    if (current == OnboardingSteps::welcome) {
        column = welcome(step);
        name = "welcome";
    } else if (current == OnboardingSteps::permission) {
        column = permissionColumn(step, permissions, settings);
        name = "permission";
    } else {
        column = gestures(done, settings);
    }

    return ZStack({column.id(std::string("step:") + name).transition(AnyTransition::push(Edge::trailing))})
        .animation(Animation::spring(0.45, 0.85), current)
        .frame({.width = width, .height = height})
        .ignoresSafeArea()
        .background(View(OnboardingGlass{}).ignoresSafeArea())
        .colorScheme(ColorScheme::dark)
        .onAppear([step, startAtPermission = startAtPermission, watcher] {
            step = OnboardingSteps::appeared(step.get(), startAtPermission);
            if (const auto w = watcher.lock()) w->start();
        })
        .onDisappear([watcher] {
            if (const auto w = watcher.lock()) w->stop();
        });
}

namespace {

// The onboarding's window: its close button only hides it (the view keeps its state for the
// next show), so the trust watcher stops there and polls again once the window is back.
class OnboardingWindow final : public platform::Window {
public:
    OnboardingWindow(std::unique_ptr<platform::Window> window, std::shared_ptr<PermissionWatcher> watcher)
        : window_(std::move(window)),
          watcher_(std::move(watcher)),
          closed_(window_->onClose([w = std::weak_ptr<PermissionWatcher>(watcher_)] {
              if (const auto p = w.lock()) p->stop();
          })) {}

    void setContent(const View& root, const EnvironmentValues& environment) override {
        window_->setContent(root, environment);
    }
    void makeKeyAndOrderFront() override {
        const bool hidden = !window_->isVisible();
        window_->makeKeyAndOrderFront();
        if (hidden) watcher_->start();
    }
    bool isVisible() const override { return window_->isVisible(); }
    bool isMiniaturized() const override { return window_->isMiniaturized(); }
    void deminiaturize() override { window_->deminiaturize(); }
    void close() override { window_->close(); }
    void clearFocus() override { window_->clearFocus(); }
    Subscription onClose(std::function<void()> handler) override {
        return window_->onClose(std::move(handler));
    }

private:
    std::unique_ptr<platform::Window> window_;
    std::shared_ptr<PermissionWatcher> watcher_;
    Subscription closed_;
};

}  // namespace

std::unique_ptr<platform::Window> OnboardingView::makeWindow(platform::Windows& windows,
                                                             OnboardingController::Content content,
                                                             AppSettings& settings) {
    auto window = windows.makeWindow({.title = "Quorlix",
                                      .size = OnboardingController::windowSize,
                                      .floating = true,
                                      .closeButtonOnly = true});
    auto watcher = std::make_shared<PermissionWatcher>();
    window->setContent(
        OnboardingView{content.startAtPermission, std::move(content.done), OnboardingSteps::welcome, watcher},
        EnvironmentValues{}.settingObject(settings));
    return std::make_unique<OnboardingWindow>(std::move(window), std::move(watcher));
}

View PermissionRow::body(Context&) const {
    View trailing = Color::clear.frame({.width = 0, .height = 0});
    if (granted)
        trailing = Symbol("checkmark.circle.fill")
                       .font(Font::system(20))
                       .foregroundStyle(Color::green)
                       .transition(AnyTransition::scale(0.01).combined(AnyTransition::opacity()))
                       .id("permission.granted");
    else if (action)
        trailing = Button("Permitir", action)
                       .buttonStyle(BorderedProminentButtonStyle{})
                       .tint(Color::quorlixAccent)
                       .environment(env::controlSize, ControlSize::small)
                       .id("permission.allow");
    return HStack({.alignment = VerticalAlignment::center, .spacing = 12},
                  {
                      tile(symbol, 14, 28, 7, 0.11),
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
                             {
                                 Text(title).font(Font::system(13.5, FontWeight::medium)),
                                 Text(detail)
                                     .font(Font::system(11))
                                     .foregroundStyle(granted ? Color::green : Color::white.opacity(0.5))
                                     .lineLimit(1)
                                     .minimumScaleFactor(0.8)
                                     .id("permission.detail"),
                             }),
                      Spacer(),
                      trailing,
                  })
        .padding(Edges::horizontal, 14)
        .frame({.height = 60});
}

View Tip::body(Context&) const {
    return HStack({.alignment = VerticalAlignment::top, .spacing = 14},
                  {
                      tile(symbol, 16, 34, 9, 0.09).foregroundStyle(Color::quorlixAccent),
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
                             {
                                 Text(title).font(Font::system(13.5, FontWeight::semibold)),
                                 Text(detail)
                                     .font(Font::system(12))
                                     .foregroundStyle(Color::white.opacity(0.55))
                                     .fixedSize(false, true),
                             }),
                  });
}

View PrimaryButton::body(Context& ctx) const {
    auto hovering = ctx.state<bool>(false);
    const View label = Text(title)
                           .font(Font::system(14, FontWeight::semibold))
                           .foregroundStyle(Color::black)
                           .frame({.width = 220, .height = 40})
                           .background(Capsule(RoundedCornerStyle::continuous).fill(Color::white))
                           .scaleEffect(hovering.get() ? 1.03 : 1.0);
    return Button(label, action)
        .buttonStyle(PlainButtonStyle{})
        .keyboardShortcut(KeyboardShortcut::defaultAction)
        .onHover([hovering](bool inside) { hovering = inside; })
        .animation(Animation::spring(0.3, 0.7), hovering.get())
        .id("onboarding.primary");
}

View StepDots::body(Context&) const {
    Views capsules;
    for (int i = 0; i < 3; ++i)
        capsules.push_back(Capsule(RoundedCornerStyle::continuous)
                               .fill(Color::white.opacity(i == step ? 0.9 : 0.25))
                               .frame({.width = i == step ? 16.0 : 6.0, .height = 6}));
    return HStack({.alignment = VerticalAlignment::center, .spacing = 6}, std::move(capsules));
}

}  // namespace quorlix
