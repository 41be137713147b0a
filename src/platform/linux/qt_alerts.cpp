#include "platform/linux/qt_alerts.h"

#include <QMessageBox>

namespace quorlix::platform {

void QtAlerts::runModal(const Alert& alert) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorlix"), QString::fromStdString(alert.message),
                    QMessageBox::Ok);
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    box.exec();
}

}  // namespace quorlix::platform
