// Quorlix: entry point. Migrates the earlier application's settings once, then runs the
// application on Qt's event loop until it is quit (menu, SIGINT or SIGTERM).

#include "app/app_settings.h"
#include "app/migration.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/unix_signals.h"

#include <QApplication>

int main(int argc, char** argv) {
    quorlix::migrateFromTarsel();

    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorlix");
    QApplication::setOrganizationDomain("halvik.com");
    // An accessory application: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    quorlix::platform::LinuxPlatform backends;
    quorlix::platform::install(backends.platform());
    quorlix::platform::quitOnTerminationSignals();

    quorlix::AppSettings::shared();

    const int status = QApplication::exec();
    quorlix::AppSettings::resetShared();
    return status;
}
