// What moving the application uses on Linux: the freedesktop trash, the modal alert, and the
// running instance's launches and desktop entries, in a temporary home.

#include "platform/linux/linux_application_instance.h"
#include "platform/linux/qt_alerts.h"
#include "platform/linux/qt_trash.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/url_scheme_handler.h"
#include "platform/linux/xdg_login_item.h"

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "qt_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

// Fontconfig keeps what it parsed of its configuration for the life of the process; the
// message box is the first widget of this program to load fonts.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;

class MoveBackendsTest : public ::testing::Test, public testing::QtApplicationMember {
protected:
    fakes::TempHome home;
    fs::path trash = home.data() / "Trash";
};

TEST_F(MoveBackendsTest, TheTrashTakesFilesAndFoldersAndSaysWhereFrom) {
    const fs::path folder = home.path() / "home" / "Descargas" / "Quorlix";
    ASSERT_FALSE(writeFileAtomically(folder / "resources" / "a.txt", "uno"));
    fs::create_symlink("a.txt", folder / "resources" / "b.txt");

    QtTrash bin;
    EXPECT_EQ(bin.moveToTrash(folder), std::nullopt);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(readFile(trash / "files" / "Quorlix" / "resources" / "a.txt"), "uno");
    EXPECT_TRUE(fs::is_symlink(trash / "files" / "Quorlix" / "resources" / "b.txt"));
    const auto info = readFile(trash / "info" / "Quorlix.trashinfo").value_or("");
    EXPECT_NE(info.find("Path=" + folder.string()), std::string::npos) << info;

    // Nothing there: refused, nothing made.
    EXPECT_TRUE(bin.moveToTrash(folder).has_value());
    EXPECT_FALSE(fs::exists(trash / "info" / "Quorlix 1.trashinfo"));
}

TEST_F(MoveBackendsTest, TheAlertIsAModalBoxThatReturnsOnceDismissed) {
    QString text, informative;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        modal = box->isModal();
        text = box->text();
        informative = box->informativeText();
        box->button(QMessageBox::Ok)->click();
    });
    QtAlerts().runModal(
        {"No se pudo mover Quorlix", "Arrástrala tú a la carpeta Aplicaciones. (sin espacio)"});
    EXPECT_TRUE(modal);
    EXPECT_EQ(text.toStdString(), "No se pudo mover Quorlix");
    EXPECT_EQ(informative.toStdString(), "Arrástrala tú a la carpeta Aplicaciones. (sin espacio)");
}

TEST_F(MoveBackendsTest, TheEntriesNameTheMovedProgramAndAutostartOnlyWhileOn) {
    const fs::path moved = home.path() / "home" / "Applications" / "Quorlix" / "quorlix";
    LinuxApplicationInstance instance(nullptr);
    EXPECT_EQ(instance.registerProgram(moved), std::nullopt);
    EXPECT_EQ(readFile(UrlSchemeHandler::entryFile()), UrlSchemeHandler::entry(moved));
    EXPECT_FALSE(fs::exists(XdgLoginItem::entryFile())) << "launch at login is off";

    ASSERT_EQ(XdgLoginItem("/tmp/Descargas/Quorlix/quorlix").registerItem(), std::nullopt);
    EXPECT_EQ(instance.registerProgram(moved), std::nullopt);
    const auto autostart = readFile(XdgLoginItem::entryFile()).value_or("");
    EXPECT_NE(autostart.find("Exec=" + moved.string() + "\n"), std::string::npos) << autostart;
    EXPECT_TRUE(XdgLoginItem().isEnabled());
}

TEST_F(MoveBackendsTest, AnInstanceThatStopsListeningLetsTheNextLaunchRunAndListensAgainOnlyWhenFree) {
    const fs::path socket = home.path() / "run" / "instance";
    SingleInstance running(socket);
    ASSERT_EQ(running.start({}), SingleInstance::Outcome::primary);
    LinuxApplicationInstance instance(&running);

    instance.stopTakingLaunches();
    EXPECT_FALSE(fs::exists(socket));
    {
        SingleInstance moved(socket);
        EXPECT_EQ(moved.start({}), SingleInstance::Outcome::primary) << "the moved copy runs on its own";
        EXPECT_FALSE(running.listenAgain()) << "the moved copy keeps the launches";
        EXPECT_EQ(SingleInstance(socket).start({}), SingleInstance::Outcome::handedOver);
    }
    // The moved copy did not start after all: launches come back to us.
    int reopened = 0;
    running.onReopen = [&] { ++reopened; };
    instance.takeLaunches();
    EXPECT_EQ(SingleInstance(socket).start({}), SingleInstance::Outcome::handedOver);
    EXPECT_TRUE(testing::waitUntil([&] { return reopened == 1; }));
}

}  // namespace
}  // namespace quorlix::platform
