// Onboarding and the move offer of the real program on an X server of the test's own with a
// compositing manager and fresh XDG folders, driven by the keyboard (xdotool): three Returns
// walk a new user's onboarding to its end; a copy started from a download folder offers the
// move instead, and Return moves it to ~/Applications/Quorlix and runs the moved copy.
//
// With QUORLIX_SCREENSHOTS naming a folder, pictures of both windows are written there.

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/virtual_display.h"

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
// file of a user who never ran Quorlix.
class OnboardingDesktop : public ::testing::Test {
protected:
    std::optional<VirtualDisplay> display;
    std::optional<fakes::TempHome> home;
    std::vector<std::unique_ptr<Variable>> variables;
    std::optional<ChildProcess> compositor;
    fs::path settingsFile;

    void SetUp() override {
        for (const char* program : {"Xvfb", "xcompmgr", "xdotool"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        display.emplace("1280x800x24");
        if (display->name().empty()) GTEST_SKIP() << "Xvfb could not start a display";
        home.emplace();
        variables = sessionVariables(display->name(), home->path());
        compositor.emplace(std::vector<std::string>{"xcompmgr"},
                           std::vector<ChildProcess::Open>{{2, "/dev/null", O_WRONLY}});
        settingsFile = home->config() / "com.halvik.quorlix.json";
    }

    std::vector<ChildProcess::Open> logged() const {
        const std::string log = (home->path() / "quorlix.out").string();
        return {{1, log, O_WRONLY | O_CREAT | O_APPEND}, {2, log, O_WRONLY | O_CREAT | O_APPEND}};
    }
    std::string log() const { return fileText(home->path() / "quorlix.out"); }
    std::optional<bool> welcomeSeen() const {
        std::ifstream in(settingsFile);
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded() || !json.contains("didShowWelcome") || !json["didShowWelcome"].is_boolean())
            return std::nullopt;
        return json["didShowWelcome"].get<bool>();
    }
    // Gives `window` the keyboard and presses Return.
    static void pressReturn(const std::string& window) {
        EXPECT_EQ(run({"xdotool", "windowfocus", "--sync", window, "key", "Return"}), 0);
    }
    void picture(const std::string& window, const char* name) {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        if (const auto g = geometryOf(window)) saveScreenshot(grab(display->name(), *g), name);
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
    ChildProcess quorlix({QUORLIX_EXECUTABLE}, logged());
    std::optional<std::string> window;
    ASSERT_TRUE(eventually([&] {
        return (window = quorlixWindow(onboardingWidth, onboardingHeight)).has_value();
    })) << "no onboarding window\n"
        << log();
    EXPECT_FALSE(quorlixWindow(offerWidth)) << "a build tree is offered no move";
    picture(*window, "onboarding-welcome-desktop.png");

    // Welcome, the permission, the gestures: each Return leads on, the last ends onboarding.
    for (int step = 0; step < 3; ++step) {
        EXPECT_NE(welcomeSeen(), true) << "ended before its last step";
        pressReturn(*window);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    EXPECT_TRUE(eventually([&] { return welcomeSeen() == true; })) << "\"didShowWelcome\" was not stored";
    EXPECT_TRUE(eventually([&] { return !quorlixWindow(onboardingWidth, onboardingHeight); }))
        << "the window stayed";
    EXPECT_TRUE(quorlix.running());
}

TEST_F(OnboardingDesktop, ACopyStartedFromDescargasOffersTheMoveAndReturnRunsTheMovedCopy) {
    // An application folder unpacked in the downloads: the program, its information and its
    // resources, without the build tree's development mark.
    const fs::path build = fs::path(QUORLIX_EXECUTABLE).parent_path();
    const fs::path source = home->path() / "home" / "Descargas" / "Quorlix";
    fs::create_directories(source / "resources");
    std::error_code ec;
    fs::create_hard_link(QUORLIX_EXECUTABLE, source / "quorlix", ec);  // spares a copy of the program
    if (ec) fs::copy_file(QUORLIX_EXECUTABLE, source / "quorlix");
    fs::copy_file(build / "app-info.json", source / "app-info.json");
    for (const char* item : {"quorlix.png", "Sounds", "SystemSounds"})
        fs::copy(build / "resources" / item, source / "resources" / item, fs::copy_options::recursive);
    const fs::path target = home->path() / "home" / "Applications" / "Quorlix";
    // The copy finds its resources beside itself.
    const Unset resources("QUORLIX_RESOURCES");

    ChildProcess original({(source / "quorlix").string()}, logged());
    std::optional<std::string> offer;
    EXPECT_TRUE(eventually([&] { return (offer = quorlixWindow(offerWidth)).has_value(); }))
        << "no move offer\n"
        << log();
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
    EXPECT_TRUE(eventually([&] { return !(moved = running(target / "quorlix")).empty(); }, 60))
        << "the moved copy does not run\n"
        << log();
    EXPECT_TRUE(eventually([&] { return !original.running(); }, 30)) << "the first copy did not quit";
    EXPECT_TRUE(fs::exists(target / "app-info.json"));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_TRUE(fs::exists(home->data() / "Trash" / "files" / "Quorlix" / "quorlix"));
    // Installed now, the moved copy goes on to onboarding.
    EXPECT_TRUE(eventually([&] { return quorlixWindow(onboardingWidth, onboardingHeight).has_value(); }))
        << log();

    // The moved copy was started on its own, not by this test: end it by its id.
    for (const pid_t pid : moved) ::kill(pid, SIGTERM);
    EXPECT_TRUE(eventually([&] { return running(target / "quorlix").empty(); }, 30));
}

}  // namespace
}  // namespace quorlix::testing
