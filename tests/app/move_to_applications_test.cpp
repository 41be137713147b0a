// The move to ~/Applications in a temporary home, with a fake launcher, trash, alerts and
// instance: which copies are offered the move, and every road of the move itself.

#include "app/move_to_applications.h"

#include "fakes/fake_platform.h"
#include "fakes/unprivileged_user.h"
#include "platform/atomic_file.h"
#include "services/application_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {
namespace {

namespace fs = std::filesystem;

constexpr const char* askYourself = "Arrástrala tú a la carpeta Aplicaciones. (";

// Starts nothing; notes what held when it was asked.
class RecordingLauncher final : public platform::ProcessLauncher {
public:
    struct Launch {
        std::string program;
        bool instanceTookLaunches;
        bool sourceExisted;
    };
    RecordingLauncher(const fakes::FakeApplicationInstance& instance, const fs::path& source)
        : instance_(instance), source_(source) {}

    std::vector<Launch> launches;
    std::optional<std::string> failure;

    std::optional<std::string> launchDetached(const std::string& program,
                                              const std::vector<std::string>& arguments) override {
        EXPECT_TRUE(arguments.empty());
        launches.push_back({program, instance_.takesLaunches, fs::exists(source_)});
        return failure;
    }

private:
    const fakes::FakeApplicationInstance& instance_;
    const fs::path& source_;
};

class OfferWindow final : public ControlledWindow {
public:
    explicit OfferWindow(int& closed) : closed_(closed) {}
    void makeKeyAndOrderFront() override { ++shown; }
    void close() override { ++closed_; }
    int shown = 0;

private:
    int& closed_;
};

class MoveToApplicationsTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fs::path root = fake.home.path();
    fs::path home = root / "home";
    fs::path source = home / "Descargas" / "Quorlix";
    fs::path target = home / "Applications" / "Quorlix";
    RecordingLauncher launcher{fake.applicationInstance, source};
    std::vector<fs::path> removable{root / "media"};
    int terminated = 0;
    int closed = 0;
    std::optional<MoveToApplications::Actions> actions;

    MoveToApplicationsTest() { fake.trash.folder = root / "trash"; }

    // An application folder of `version`, with an executable program, a resource and a link.
    static void makeApplication(const fs::path& folder, const std::string& version) {
        fs::create_directories(folder / "resources");
        put(folder / "app-info.json",
            R"({"identifier": "com.halvik.quorlix", "version": ")" + version + R"(", "build": "7"})");
        put(folder / "quorlix", "#!/bin/sh\necho " + version + "\n");
        fs::permissions(folder / "quorlix", fs::perms(0755));
        put(folder / "resources" / "temporizador.wav", "RIFF");
        fs::create_symlink("temporizador.wav", folder / "resources" / "alarma.wav");
    }
    static void put(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        ASSERT_FALSE(platform::writeFileAtomically(file, text));
    }
    static std::string versionIn(const fs::path& folder) {
        const auto info = AppInfo::read(folder);
        return info ? info->version : "none";
    }
    // What lies in ~/Applications, hidden entries included.
    std::vector<std::string> applicationsFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(target.parent_path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::unique_ptr<MoveToApplications> mover(const fs::path& from) {
        MoveToApplications::Configuration c;
        c.source = from;
        c.home = home;
        c.removableVolumes = removable;
        c.launcher = &launcher;
        c.trash = &fake.trash;
        c.alerts = &fake.alerts;
        c.instance = &fake.applicationInstance;
        c.terminate = [this] { ++terminated; };
        c.makeWindow = [this](MoveToApplications::Actions given) {
            actions = std::move(given);
            return std::make_unique<OfferWindow>(closed);
        };
        return std::make_unique<MoveToApplications>(std::move(c));
    }
    // Offers the move of `from` and accepts it.
    std::unique_ptr<MoveToApplications> offerAndMove(const fs::path& from) {
        auto m = mover(from);
        EXPECT_TRUE(m->offerIfNeeded());
        EXPECT_NE(m->window(), nullptr);
        if (actions) actions->onMove();
        return m;
    }
    std::string lastAlert() const {
        if (fake.alerts.shown.empty()) return "";
        EXPECT_EQ(fake.alerts.shown.back().message, "No se pudo mover Quorlix");
        return fake.alerts.shown.back().informativeText;
    }
    std::string registered() const { return "register " + (target / "quorlix").string(); }
};

TEST_F(MoveToApplicationsTest, OnlyACopyOutsideTheInstalledPlacesIsOffered) {
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.2.0");
    makeApplication(home / "ApplicationsOld" / "Quorlix", "1.2.0");
    makeApplication(home / "applications" / "Quorlix", "1.2.0");
    makeApplication(root / "marked" / "Quorlix", "1.2.0");
    put(root / "marked" / "Quorlix" / "resources" / ".devbuild", "");
    fs::create_directories(root / "package" / "bin");
    put(root / "package" / "bin" / "quorlix", "");
    fs::create_directories(root / "elsewhere");
    fs::create_symlink(target, root / "elsewhere" / "Quorlix");
    fs::create_symlink(source, home / "Applications" / "Enlace");
    fs::create_symlink(home, root / "home-link");

    struct Row {
        fs::path folder;
        fs::path home;
        bool installed;
    };
    const Row rows[] = {
        {source, home, false},
        {target, home, true},
        {root / "elsewhere" / "Quorlix", home, true},     // a link into ~/Applications
        {home / "Applications" / "Enlace", home, false},  // judged by where it leads
        {home / "ApplicationsOld" / "Quorlix", home, false},
        {home / "applications" / "Quorlix", home, false},  // another case
        {root / "marked" / "Quorlix", home, true},         // a development build, wherever it is
        {root / "package" / "bin", home, true},            // no application folder
        {target, root / "home-link", true},                // a home reached through a link
    };
    for (const auto& row : rows)
        EXPECT_EQ(MoveToApplications::isInstalled(row.folder, row.home), row.installed) << row.folder;

    struct Place {
        const char* path;
        bool installed;
    };
    const Place places[] = {
        {"/opt/Quorlix", true},
        {"/usr/bin", true},
        {"/usr", false},
        {"/optional/Quorlix", false},
        {"/home/ana/Applications/Quorlix", true},
        {"/home/ana/ApplicationsOld/Quorlix", false},
        {"/home/ana/applications/Quorlix", false},
        {"/home/ana/Descargas/Quorlix", false},
    };
    for (const auto& place : places) {
        EXPECT_EQ(MoveToApplications::isInstalledPlace(place.path, "/home/ana"), place.installed)
            << place.path;
        EXPECT_EQ(MoveToApplications::isInstalledPlace(place.path, "/home/ana/"), place.installed)
            << place.path;
    }

    // An installed copy is offered nothing and makes no window.
    auto installed = mover(target);
    EXPECT_FALSE(installed->offerIfNeeded());
    EXPECT_FALSE(actions.has_value());
}

TEST_F(MoveToApplicationsTest,
       TheCopyIsRenamedIntoPlaceTheOldOneTrashedAfterAndTheMovedOneRunsBeforeTheQuit) {
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.0.0");
    put(target / "resources" / "viejo.txt", "de la versión anterior");
    auto m = offerAndMove(source);

    EXPECT_TRUE(fake.alerts.shown.empty()) << lastAlert();
    EXPECT_EQ(versionIn(target), "1.2.0");
    EXPECT_EQ(fs::status(target / "quorlix").permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_TRUE(fs::is_symlink(target / "resources" / "alarma.wav"));
    EXPECT_EQ(fs::read_symlink(target / "resources" / "alarma.wav"), "temporizador.wav");
    EXPECT_FALSE(fs::exists(target / "resources" / "viejo.txt"));
    EXPECT_EQ(applicationsFolder(), std::vector<std::string>{"Quorlix"}) << "no hidden copy left";

    // The old copy, whole, then the source once the moved copy started.
    ASSERT_EQ(fake.trash.trashed, (std::vector<fs::path>{target, source}));
    EXPECT_EQ(versionIn(fake.trash.item(0)), "1.0.0");
    EXPECT_EQ(platform::readFile(fake.trash.item(0) / "resources" / "viejo.txt"), "de la versión anterior");
    EXPECT_FALSE(fs::exists(source));

    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0].program, (target / "quorlix").string());
    EXPECT_FALSE(launcher.launches[0].instanceTookLaunches) << "else the copy hands itself over";
    EXPECT_TRUE(launcher.launches[0].sourceExisted);
    EXPECT_EQ(fake.applicationInstance.calls, (std::vector<std::string>{"stop", registered()}));
    EXPECT_EQ(terminated, 1);
    EXPECT_NE(m->window(), nullptr) << "the offer stays until the quit";
}

TEST_F(MoveToApplicationsTest, ASameOrNewerCopyThereIsKeptAndStartedAndTheSourceLeftAlone) {
    for (const std::string there : {"1.2.0", "1.10.0"}) {
        SCOPED_TRACE(there);
        fs::remove_all(home);
        launcher.launches.clear();
        fake.applicationInstance.calls.clear();
        terminated = 0;
        makeApplication(source, "1.2.0");
        makeApplication(target, there);
        put(target / "resources" / "propio.txt", "se queda");

        offerAndMove(source);
        EXPECT_EQ(versionIn(target), there);
        EXPECT_TRUE(fs::exists(target / "resources" / "propio.txt"));
        EXPECT_EQ(versionIn(source), "1.2.0");
        EXPECT_TRUE(fake.trash.trashed.empty());
        ASSERT_EQ(launcher.launches.size(), 1u);
        EXPECT_EQ(launcher.launches[0].program, (target / "quorlix").string());
        EXPECT_EQ(fake.applicationInstance.calls, (std::vector<std::string>{"stop", registered()}));
        EXPECT_EQ(terminated, 1);
    }
}

TEST_F(MoveToApplicationsTest, ACopyOnARemovableVolumeStaysWhereItIs) {
    const fs::path stick = root / "media" / "ana" / "USB" / "Quorlix";
    makeApplication(stick, "1.2.0");
    offerAndMove(stick);
    EXPECT_EQ(versionIn(target), "1.2.0");
    EXPECT_EQ(versionIn(stick), "1.2.0");
    EXPECT_TRUE(fake.trash.trashed.empty());
    EXPECT_EQ(terminated, 1);
}

TEST_F(MoveToApplicationsTest, AFailedStartShowsTheAlertTakesLaunchesAgainAndKeepsRunning) {
    makeApplication(source, "1.2.0");
    launcher.failure = target.string() + "/quorlix: Permission denied";
    auto m = offerAndMove(source);

    EXPECT_EQ(lastAlert(), askYourself + *launcher.failure + ")");
    EXPECT_EQ(fake.applicationInstance.calls, (std::vector<std::string>{"stop", "take"}));
    EXPECT_TRUE(fake.applicationInstance.takesLaunches);
    EXPECT_EQ(terminated, 0);
    EXPECT_EQ(versionIn(source), "1.2.0") << "the source is trashed only once the copy runs";
    EXPECT_TRUE(fake.trash.trashed.empty());
    EXPECT_EQ(versionIn(target), "1.2.0");
    EXPECT_NE(m->window(), nullptr);

    // Trying again starts the copy now in place.
    launcher.failure.reset();
    actions->onMove();
    EXPECT_EQ(launcher.launches.size(), 2u);
    EXPECT_EQ(terminated, 1);
}

TEST_F(MoveToApplicationsTest, ACopyThatFailsLeavesTheInstalledOneAsItWasAndKeepsRunning) {
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.0.0");
    const fs::path secret = source / "resources" / "secreto.bin";
    put(secret, "no se lee");
    fs::permissions(secret, fs::perms::none);
    // The check runs without root's privileges: it must be able to write ~/Applications.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.parent_path().c_str(), testing::nobody, testing::nobody), 0);
    }
    const bool refused = testing::asUnprivilegedUser([&] {
        offerAndMove(source);
        const std::string alert = lastAlert();
        return fake.alerts.shown.size() == 1 && alert.starts_with(askYourself) && alert.ends_with(")") &&
               alert.find(secret.string()) != std::string::npos && launcher.launches.empty() &&
               terminated == 0 && fake.trash.trashed.empty();
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(versionIn(target), "1.0.0");
    EXPECT_EQ(applicationsFolder(), std::vector<std::string>{"Quorlix"}) << "no hidden copy left";
    EXPECT_EQ(versionIn(source), "1.2.0");
}

TEST_F(MoveToApplicationsTest, RefusalsShowTheAlertAndTouchNothing) {
    // An old copy the trash will not take stays; nothing new is put in its place.
    makeApplication(source, "1.2.0");
    makeApplication(target, "1.0.0");
    fake.trash.refusing = target;
    offerAndMove(source);
    EXPECT_EQ(lastAlert(), std::string(askYourself) + "la papelera no acepta esto)");
    EXPECT_EQ(versionIn(target), "1.0.0");
    EXPECT_EQ(applicationsFolder(), std::vector<std::string>{"Quorlix"});
    EXPECT_TRUE(launcher.launches.empty());

    // A folder holding ~/Applications would be copied into itself.
    fs::remove_all(target);
    makeApplication(home, "1.2.0");
    offerAndMove(home);
    EXPECT_TRUE(lastAlert().starts_with(askYourself));
    EXPECT_EQ(fake.alerts.shown.size(), 2u);
    EXPECT_TRUE(fs::is_empty(target.parent_path()));
    EXPECT_TRUE(launcher.launches.empty());
    EXPECT_EQ(terminated, 0);
}

TEST_F(MoveToApplicationsTest, LaterClosesTheOfferAndTheButtonsOutliveNothing) {
    makeApplication(source, "1.2.0");
    auto m = mover(source);
    ASSERT_TRUE(m->offerIfNeeded());
    actions->onLater();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(m->window(), nullptr);

    ASSERT_TRUE(m->offerIfNeeded());
    const auto onMove = actions->onMove;
    m.reset();
    onMove();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(launcher.launches.empty());
}

}  // namespace
}  // namespace quorlix
