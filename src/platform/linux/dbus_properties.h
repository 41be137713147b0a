#pragma once
// The freedesktop properties interface, through which the backends read, watch and set the
// properties of the services they follow.

#include <QString>

namespace quorlix::platform {

inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace quorlix::platform
