// Onboarding and the move offer of the real program on an X server of the test's own with a
// compositing manager and fresh XDG folders, driven by the keyboard (xdotool): three Returns
// walk a new user's onboarding to its end; a copy started from a download folder offers the
// move instead, and Return moves it to ~/Applications/Quorlix and runs the moved copy.
//
// With QUORLIX_SCREENSHOTS naming a folder, pictures of both windows are written there.

#include "desktop_session.h"
#include "desktop_windows.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

constexpr int onboardingWidth = 460;
constexpr int onboardingHeight = 560;
constexpr int offerWidth = 380;

// A fresh user's desktop: the X server, a compositing manager, the folders and the settings
// file of a user who never ran Quorlix. Every wait watches them.
class OnboardingDesktop : public ::testing::Test {
protected:
    std::optional<DesktopSession> session;
    fs::path settingsFile;

    void SetUp() override {
        if (const auto missing = DesktopSession::missingProgram())
            GTEST_SKIP() << *missing << " is not installed";
        session.emplace("1280x800x24");
        ASSERT_TRUE(session->ready());
        settingsFile = session->home.config() / "com.halvik.quorlix.json";
    }

    const fakes::TempHome& home() const { return session->home; }
    std::string log() const { return fileText(session->output()); }
    std::optional<bool> welcomeSeen() const {
        std::ifstream in(settingsFile);
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded() || !json.contains("didShowWelcome") || !json["didShowWelcome"].is_boolean())
            return std::nullopt;
        return json["didShowWelcome"].get<bool>();
    }
    // The step the window shows, read from its three dots at the bottom (the current one
    // 16 points wide and bright, the others 6): none while a step is on its way in or out,
    // its dots away from their place.
    std::optional<int> shownStep(const std::string& window) const {
        const auto g = geometryOf(window);
        if (!g) return std::nullopt;
        const QImage foot = grab(session->display.name(), {g->x, g->y + g->height - 60, g->width, 60});
        const int centre = g->width / 2;
        for (int y = 0; y < foot.height(); ++y) {
            int start = -1;
            for (int x = 0; x <= foot.width(); ++x) {
                const bool bright = x < foot.width() && qGray(foot.pixel(x, y)) > 150;
                if (bright && start < 0) start = x;
                if (bright || start < 0) continue;
                const int length = x - start;
                const int middle = (start + x) / 2 - centre;
                start = -1;
                if (length < 12 || length > 18) continue;
                // The group is 40 points wide, centred: the wide dot's middle is 12 points
                // left of the centre, on it, or 12 points right.
                for (int step = 0; step < 3; ++step)
                    if (std::abs(middle - (step - 1) * 12) <= 2) return step;
            }
        }
        return std::nullopt;
    }
    // Gives `window` the keyboard and presses Return.
    static void pressReturn(const std::string& window) {
        EXPECT_EQ(run({"xdotool", "windowfocus", "--sync", window, "key", "Return"}), 0);
    }
    void picture(const std::string& window, const char* name) const {
        if (const auto g = geometryOf(window)) saveScreenshot(session->display.name(), *g, name);
    }
};

// Unsets an environment variable for the object's life.
class Unset {
public:
    explicit Unset(const char* name) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        unsetenv(name);
    }
    ~Unset() {
        if (saved_) setenv(name_, saved_->c_str(), 1);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// The processes whose program is `program`.
std::vector<pid_t> running(const fs::path& program) {
    std::vector<pid_t> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code readError;
        if (fs::read_symlink(entry.path() / "exe", readError) == program) found.push_back(std::stoi(name));
    }
    return found;
}

TEST_F(OnboardingDesktop, ANewUserSeesOnboardingAndThreeReturnsEndIt) {
    const auto quorlix = session->launch();
    std::optional<std::string> window;
    ASSERT_TRUE(waitFor([&] {
        return (window = quorlixWindow(onboardingWidth, onboardingHeight)).has_value();
    })) << "no onboarding window";
    EXPECT_FALSE(quorlixWindow(offerWidth)) << "a build tree is offered no move";
    picture(*window, "onboarding-welcome-desktop.png");

    // Welcome, the permission, the gestures: each Return leads on, the last ends onboarding.
    // Each Return waits until its step shows, alone: one pressed before the window has drawn
    // the step would go to the step before.
    for (int step = 0; step < 3; ++step) {
        EXPECT_NE(welcomeSeen(), true) << "ended before its last step";
        ASSERT_TRUE(waitFor([&] { return shownStep(*window) == step; }))
            << "step " << step << " is not shown";
        pressReturn(*window);
    }
    EXPECT_TRUE(waitFor([&] { return welcomeSeen() == true; })) << "\"didShowWelcome\" was not stored";
    EXPECT_TRUE(waitFor([&] { return !quorlixWindow(onboardingWidth, onboardingHeight); }))
        << "the window stayed";
    EXPECT_TRUE(quorlix->running());
}

TEST_F(OnboardingDesktop, ACopyStartedFromDescargasOffersTheMoveAndReturnRunsTheMovedCopy) {
    // An application folder unpacked in the downloads: the program, its information and its
    // resources, without the build tree's development mark.
    const fs::path program = quorlixProgram();
    const fs::path build = program.parent_path();
    const fs::path source = home().path() / "home" / "Descargas" / "Quorlix";
    fs::create_directories(source / "resources");
    std::error_code ec;
    fs::create_hard_link(program, source / "quorlix", ec);  // spares a copy of the program
    if (ec) fs::copy_file(program, source / "quorlix");
    fs::copy_file(build / "app-info.json", source / "app-info.json");
    for (const char* item : {"quorlix.png", "Sounds", "SystemSounds"})
        fs::copy(build / "resources" / item, source / "resources" / item, fs::copy_options::recursive);
    const fs::path target = home().path() / "home" / "Applications" / "Quorlix";
    // The copy finds its resources beside itself.
    const Unset resources("QUORLIX_RESOURCES");

    // It ends once it has handed over to the moved copy: no wait watches it.
    const auto original = session->launch({(source / "quorlix").string()}, true);
    std::optional<std::string> offer;
    EXPECT_TRUE(waitFor([&] { return (offer = quorlixWindow(offerWidth)).has_value(); }, {original.get()}))
        << "no move offer";
    if (offer) {
        const auto g = geometryOf(*offer);
        EXPECT_GT(g->height, 300) << "as tall as its content";
        EXPECT_LT(g->height, 460);
        picture(*offer, "move-offer-desktop.png");
        EXPECT_FALSE(quorlixWindow(onboardingWidth, onboardingHeight)) << "no onboarding with the offer";
        pressReturn(*offer);
    }

    // The copy runs from ~/Applications; the one that offered it has ended and gone to the trash.
    std::vector<pid_t> moved;
    EXPECT_TRUE(waitFor([&] { return !(moved = running(target / "quorlix")).empty(); }))
        << "the moved copy does not run\n"
        << log();
    EXPECT_TRUE(waitFor([&] { return !original->running(); })) << "the first copy did not quit";
    EXPECT_TRUE(fs::exists(target / "app-info.json"));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_TRUE(fs::exists(home().data() / "Trash" / "files" / "Quorlix" / "quorlix"));
    // Installed now, the moved copy goes on to onboarding.
    EXPECT_TRUE(waitFor([&] { return quorlixWindow(onboardingWidth, onboardingHeight).has_value(); }))
        << log();

    // The moved copy was started on its own, not by this test: end it by its id.
    for (const pid_t pid : moved) ::kill(pid, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return running(target / "quorlix").empty(); }));
}

}  // namespace
}  // namespace quorlix::testing
