// The move to ~/Applications in a temporary home, with a fake launcher, trash, alerts and
// instance: which copies are offered it, and every road of the move.

#include "app/move_to_applications.h"

#include "app/move_view.h"

#include "fakes/fake_platform.h"
#include "fakes/unprivileged_user.h"
#include "platform/atomic_file.h"
#include "services/application_folder.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string askYourself = "Arrástrala tú a la carpeta Aplicaciones. (";

class MoveToApplicationsTest : public ::testing::Test, public platform::ProcessLauncher {
protected:
    fakes::FakePlatform fake;
    fs::path root = fake.home.path(), home = root / "home";
    fs::path source = home / "Descargas" / "Quorlix", target = home / "Applications" / "Quorlix";
    // Each start asked for: the program, and whether the instance took launches and the source
    // existed then.
    Strings launches;
    std::optional<std::string> launchFailure;
    int terminated = 0;
    std::optional<MoveToApplications::Actions> actions;

    MoveToApplicationsTest() { fake.trash.folder = root / "trash"; }
    ~MoveToApplicationsTest() override { fake.time.runPending(); }  // released windows go before their fakes

    std::optional<std::string> launchDetached(const std::string& program, const Strings&) override {
        launches.push_back(program + (fake.applicationInstance.takesLaunches ? " taking" : "") +
                           (fs::exists(source) ? " source" : ""));
        return launchFailure;
    }

    static void put(const fs::path& file, const std::string& text) {
        ASSERT_FALSE(platform::writeFileAtomically(file, text));
    }
    // An application folder of `version`, with an executable program and a link.
    static void makeApplication(const fs::path& folder, const std::string& version) {
        put(folder / "app-info.json",
            R"({"identifier": "com.halvik.quorlix", "version": ")" + version + "\"}");
        put(folder / "quorlix", "#!/bin/sh\n");
        fs::permissions(folder / "quorlix", fs::perms(0755));
        put(folder / "resources" / "temporizador.wav", "RIFF");
        fs::create_symlink("temporizador.wav", folder / "resources" / "alarma.wav");
    }
    static std::string versionIn(const fs::path& folder) {
        const auto info = AppInfo::read(folder);
        return info ? info->version : "none";
    }
    // ~/Applications, hidden entries included.
    Strings applications() const {
        Strings names;
        for (const auto& entry : fs::directory_iterator(target.parent_path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // Its offer in a plain window, or in the one `makeWindow` makes.
    std::unique_ptr<MoveToApplications> mover(const fs::path& from,
                                              MoveToApplications::WindowFactory makeWindow = {}) {
        if (!makeWindow)
            makeWindow = [this](MoveToApplications::Actions given) {
                actions = std::move(given);
                return fake.windows.makeWindow(
                    {.title = "Quorlix", .size = {MoveToApplications::windowWidth, 300}});
            };
        return std::make_unique<MoveToApplications>(
            MoveToApplications::Configuration{from,
                                              home,
                                              {root / "media"},
                                              this,
                                              &fake.trash,
                                              &fake.alerts,
                                              &fake.applicationInstance,
                                              [this] { ++terminated; },
                                              std::move(makeWindow)});
    }
    // Offers the move of `from` and accepts it.
    std::unique_ptr<MoveToApplications> offerAndMove(const fs::path& from) {
        auto m = mover(from);
        EXPECT_TRUE(m->offerIfNeeded());
        if (actions) actions->onMove();
        return m;
    }
    std::string lastAlert() const {
        if (fake.alerts.shown.empty()) return "";
        EXPECT_EQ(fake.alerts.shown.back().message, "No se pudo mover Quorlix");
        return fake.alerts.shown.back().informativeText;
    }
    std::string program() const { return (target / "quorlix").string(); }
};

TEST_F(MoveToApplicationsTest, OnlyACopyOutsideTheInstalledPlacesIsOffered) {
    for (const auto& folder : {source, target, home / "ApplicationsOld/Quorlix",
                               home / "applications/Quorlix", root / "marked/Quorlix"})
        makeApplication(folder, "1.2.0");
    put(root / "marked/Quorlix/resources/.devbuild", "");
    put(root / "package/bin/quorlix", "");
    fs::create_symlink(target, root / "Quorlix");
    fs::create_symlink(source, home / "Applications/Enlace");
    fs::create_symlink(home, root / "home-link");

    const std::vector<std::tuple<fs::path, fs::path, bool>> rows = {
        {source, home, false},
        {target, home, true},
        {root / "Quorlix", home, true},               // a link into ~/Applications
        {home / "Applications/Enlace", home, false},  // judged by where it leads
        {home / "ApplicationsOld/Quorlix", home, false},
        {home / "applications/Quorlix", home, false},  // another case
        {root / "marked/Quorlix", home, true},         // a development build
        {root / "package/bin", home, true},            // no application folder
        {target, root / "home-link", true},            // a home reached through a link
    };
    for (const auto& [folder, in, installed] : rows)
        EXPECT_EQ(MoveToApplications::isInstalled(folder, in), installed) << folder;
    const std::vector<std::pair<const char*, bool>> places = {
        {"/opt/Quorlix", true},
        {"/usr/bin", true},
        {"/usr", false},
        {"/optional/Quorlix", false},
        {"/home/ana/Applications/Quorlix", true},
        {"/home/ana/ApplicationsOld/Quorlix", false},
    };
    for (const auto& [place, installed] : places)
        EXPECT_EQ(MoveToApplications::isInstalledPlace(place, "/home/ana/"), installed) << place;

    EXPECT_FALSE(mover(target)->offerIfNeeded());
    EXPECT_FALSE(actions.has_value()) << "no window made";
}

TEST_F(MoveToApplicationsTest, TheCopyGoesIntoPlaceTheOldOneToTheTrashAndTheSourceOnlyOnceTheCopyRuns) {
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.0.0");
    put(target / "resources/viejo.txt", "anterior");
    // Folders unpacked read-only are filled, and can later be replaced by an update.
    fs::permissions(source / "resources", fs::perms(0555));
    // What the user has installed each time something goes to the trash.
    Strings installedWhenTrashing;
    fake.trash.check = [&](const fs::path&) {
        installedWhenTrashing.push_back(versionIn(target));
        return std::nullopt;
    };
    auto m = offerAndMove(source);

    EXPECT_EQ(lastAlert(), "");
    EXPECT_EQ(installedWhenTrashing, (Strings{"1.2.0", "1.2.0"}))
        << "the old copy goes once the new one is in place";
    EXPECT_EQ(versionIn(target), "1.2.0");
    EXPECT_EQ(fs::status(target / "quorlix").permissions(), fs::perms(0755));
    EXPECT_EQ(fs::status(target / "resources").permissions(), fs::perms(0755));
    EXPECT_EQ(fs::read_symlink(target / "resources/alarma.wav"), "temporizador.wav");
    EXPECT_FALSE(fs::exists(target / "resources/viejo.txt"));
    EXPECT_EQ(applications(), Strings{"Quorlix"}) << "no hidden copy left";

    ASSERT_EQ(fake.trash.trashed.size(), 2u);
    EXPECT_EQ(fake.trash.trashed[0].filename(), "Quorlix") << "trashed under its own name";
    EXPECT_EQ(fake.trash.trashed[1], source);
    EXPECT_EQ(platform::readFile(fake.trash.item(0) / "resources/viejo.txt"), "anterior");
    EXPECT_EQ(launches, Strings{program() + " source"}) << "not taking launches, source still there";
    EXPECT_EQ(fake.applicationInstance.calls, (Strings{"stop", "register " + program()}));
    EXPECT_EQ(terminated, 1);
    EXPECT_NE(m->window(), nullptr) << "the offer stays until the quit";
    fs::permissions(fake.trash.item(1) / "resources", fs::perms::owner_all);  // for the clean-up
}

TEST_F(MoveToApplicationsTest, ANewerOrEqualCopyThereIsStartedAndARemovableSourceIsLeftAlone) {
    const fs::path stick = root / "media/ana/USB/Quorlix";
    // (version already there, source, version there afterwards)
    const std::vector<std::tuple<std::string, fs::path, std::string>> rows = {
        {"1.2.0", source, "1.2.0"}, {"1.10.0", source, "1.10.0"}, {"", stick, "1.2.0"}};
    for (const auto& [there, from, after] : rows) {
        SCOPED_TRACE(from.string() + " " + there);
        fs::remove_all(target);
        launches.clear();
        makeApplication(from, "1.2.0");
        if (!there.empty()) makeApplication(target, there);
        offerAndMove(from);
        EXPECT_EQ(versionIn(target), after);
        EXPECT_EQ(versionIn(from), "1.2.0");
        EXPECT_EQ(launches.size(), 1u);
        fs::remove_all(from);
    }
    EXPECT_TRUE(fake.trash.trashed.empty());
    EXPECT_EQ(terminated, 3);
}

TEST_F(MoveToApplicationsTest, AFailedStartShowsTheAlertTakesLaunchesAgainAndKeepsRunning) {
    makeApplication(source, "1.2.0");
    launchFailure = program() + ": Permission denied";
    auto m = offerAndMove(source);
    EXPECT_EQ(lastAlert(), askYourself + *launchFailure + ")");
    EXPECT_EQ(fake.applicationInstance.calls, (Strings{"stop", "take"})) << "entries left alone";
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(fake.trash.trashed.empty());
    EXPECT_EQ(versionIn(source), "1.2.0");
    EXPECT_NE(m->window(), nullptr);

    // "Ahora no" closes the offer; a button pressed once the mover is gone does nothing.
    actions->onLater();
    EXPECT_EQ(m->window(), nullptr);
    const auto onMove = actions->onMove;
    m.reset();
    onMove();
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(MoveToApplicationsTest, AFailedCopyOrTrashLeavesTheInstalledCopyAsItWas) {
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.0.0");
    const fs::path secret = source / "resources/secreto.bin";
    put(secret, "no se lee");
    fs::permissions(secret, fs::perms::none);
    // Root reads anything: the copy then runs as a user who may write ~/Applications only.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.parent_path().c_str(), testing::nobody, testing::nobody), 0);
    }
    EXPECT_TRUE(testing::asUnprivilegedUser([&] {
        offerAndMove(source);
        const std::string alert = lastAlert();
        return alert.starts_with(askYourself + secret.string()) && alert.ends_with(")") && launches.empty() &&
               fake.trash.trashed.empty() && terminated == 0;
    }));
    EXPECT_EQ(versionIn(target), "1.0.0");
    EXPECT_EQ(applications(), Strings{"Quorlix"}) << "no hidden copy left";

    // An old copy the trash will not take is put back, and the new one goes.
    fs::remove(secret);
    fake.trash.check = [](const fs::path&) {
        return std::optional<std::string>("la papelera no acepta esto");
    };
    offerAndMove(source);
    EXPECT_EQ(lastAlert(), askYourself + "la papelera no acepta esto)");
    EXPECT_EQ(versionIn(target), "1.0.0");
    EXPECT_EQ(applications(), Strings{"Quorlix"});
    EXPECT_TRUE(launches.empty());

    // A folder holding ~/Applications would be copied into itself.
    makeApplication(home, "1.2.0");
    offerAndMove(home);
    EXPECT_TRUE(lastAlert().starts_with(askYourself + home.string() + "/Applications"));
    EXPECT_EQ(applications(), Strings{"Quorlix"});
    EXPECT_TRUE(launches.empty());
}

TEST_F(MoveToApplicationsTest, TheOfferWindowIsAsTallAsItsViewReturnMovesAndAhoraNoCloses) {
    makeApplication(source, "1.2.0");
    const auto m = mover(source, [this](MoveToApplications::Actions given) {
        return MoveView::makeWindow(fake.windows, std::move(given));
    });
    ASSERT_TRUE(m->offerIfNeeded());
    fakes::FakeWindow& window = *fake.windows.live.back();
    const auto& options = window.options;
    EXPECT_EQ(options.size.width, 380);
    EXPECT_FALSE(options.floating);
    EXPECT_TRUE(options.closeButtonOnly);
    ASSERT_TRUE(options.fitsContentHeight);
    window.host().render();
    const ui::DisplayItem& shown = window.shown();
    // Icon group 26 + 180, title, two lines of text, buttons 22 + 36 + 8 + button + 22.
    const double height = window.host().size().height;
    EXPECT_GT(height, 26 + 180 + 6 + 6 + 22 + 36 + 8 + 22);
    EXPECT_LT(height, 420);
    EXPECT_EQ(shown.findRole("VStack")->frame.height(), height) << "no room left over or missing";
    for (const char* text :
         {"Mueve Quorlix a Aplicaciones", "Así queda instalada y puede abrirse sola cuando inicias sesión.",
          "Mover a Aplicaciones", "Ahora no"})
        EXPECT_NE(shown.findText(text), nullptr) << text;

    const ui::DisplayItem* later = shown.findText("Ahora no");
    window.click({shown.drawnFrame(later).midX(), shown.drawnFrame(later).midY()});
    EXPECT_EQ(m->window(), nullptr);
    EXPECT_TRUE(launches.empty());

    ASSERT_TRUE(m->offerIfNeeded());
    ASSERT_TRUE(fake.windows.live.back()->pressReturn());
    EXPECT_EQ(launches, Strings{program() + " source"});
    EXPECT_EQ(terminated, 1);
}

}  // namespace
}  // namespace quorlix
