// Quorlix: entry point. One instance per user: a later launch hands its quorlix:// addresses
// (or a request to show the settings) to the running one and ends. The first migrates the
// earlier application's settings once, builds the application and runs it on Qt's event loop
// until it is quit (menus, SIGINT, SIGTERM or SIGHUP).

#include "app/app_delegate.h"
#include "app/migration.h"
#include "foundation/app_settings.h"
#include "platform/key_log.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/unix_signals.h"
#include "platform/linux/url_scheme_handler.h"
#include "platform/main_queue.h"
#include "platform/paths.h"
#include "platform/serial_queue.h"
#include "platform/user_defaults.h"
#include "services/apple_script_queue.h"
#include "services/update_service.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The island is an X11 window; a Wayland session shows it through XWayland. False when there
// is no X display to draw on, after saying so.
bool useX11() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;  // chosen by whoever started us
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return true;  // Qt says what is missing
    const char* message =
        "Quorlix necesita XWayland para mostrarse en esta sesión Wayland, y no está disponible.";
    std::fprintf(stderr, "%s\n", message);
    quorlix::KeyLog::write(message);
    return false;
}

// The addresses given on the command line.
std::vector<std::string> urls(int argc, char** argv) {
    std::vector<std::string> out;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!argument.empty() && argument.front() != '-') out.push_back(argument);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (!useX11()) return 1;
    // Qt's shared-memory path to the X server waits for a round trip before it paints again any
    // part it has just flushed: at every frame of a view that changes 30 times a second (the
    // equalizer), with a wake-up of Qt's X event thread for each reply. The regions a frame
    // repaints are small: sent inside the request, they need no round trip at all.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorlix");
    QApplication::setApplicationVersion(QString::fromStdString(quorlix::UpdateService::currentVersion()));
    QApplication::setOrganizationDomain("halvik.com");
    // An accessory application: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto opened = urls(argc, argv);
    quorlix::platform::SingleInstance instance;
    const auto outcome = instance.start(opened);
    if (outcome == quorlix::platform::SingleInstance::Outcome::handedOver) return 0;

    quorlix::migrateFromTarsel();

    quorlix::platform::LinuxPlatform backends(
        outcome == quorlix::platform::SingleInstance::Outcome::primary ? &instance : nullptr);
    quorlix::platform::install(backends.platform());
    quorlix::platform::quitOnTerminationSignals();
    // The players' scripts run on a thread of their own that calls into the backends: made
    // after them, it ends (letting a script under way finish) before they go at quit.
    quorlix::platform::ThreadSerialQueue scripts;
    quorlix::AppleScriptQueue::install(&scripts);

    int status = 0;
    {
        quorlix::AppDelegate delegate(backends.platform());
        instance.onOpenURLs = [&delegate](const std::vector<std::string>& urls) { delegate.openURLs(urls); };
        instance.onReopen = [&delegate] { delegate.applicationShouldHandleReopen(); };
        delegate.applicationDidFinishLaunching();
        // What the island does not need waits until it is on screen: the icon (Qt hands it to
        // the windows already made too) and the desktop entry of quorlix:// addresses.
        QApplication::setWindowIcon(
            QIcon(QString::fromStdString(quorlix::platform::Paths::applicationIcon().string())));
        quorlix::platform::UrlSchemeHandler::registerExecutable(quorlix::platform::Paths::executable());
        if (!opened.empty()) delegate.openURLs(opened);
        // The backends the island does not need load once the event loop runs, the island shown.
        quorlix::platform::MainQueue::shared().post([&backends] { backends.loadDeferred(); });
        // A signal that came while starting asks to quit as one that comes later does.
        if (!quorlix::platform::terminationRequested()) status = QApplication::exec();
        // Quitting waits on no peer: a script or a report still waiting for one ends now.
        backends.stopWaitingOnPeers();
        instance.onOpenURLs = nullptr;
        instance.onReopen = nullptr;
    }
    quorlix::AppSettings::resetShared();
    // Settings are written off the main thread: what is still to be written goes to disk now.
    quorlix::platform::UserDefaults::resetStandard();
    quorlix::AppleScriptQueue::install(nullptr);
    return status;
}
