#include "platform/linux/notification_inhibition_focus.h"

#include "dbus_stand_in.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

TEST(NotificationInhibitionFocus, FollowsTheServersInhibition) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    testing::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    testing::StandInService server(bus.address(), interface);
    ASSERT_TRUE(server.isRegistered());
    server.add(path, interface, {{"Inhibited", false}});

    NotificationInhibitionFocus focus(bus.address());
    int changes = 0;
    const Subscription s = focus.observe([&] { ++changes; });
    EXPECT_EQ(focus.doNotDisturb(), false) << "the first reading waits for the answer";

    server.set(path, interface, "Inhibited", true);
    ASSERT_TRUE(testing::processEventsUntil([&] { return changes == 1; }));
    EXPECT_EQ(focus.doNotDisturb(), true);
}

TEST(NotificationInhibitionFocus, NoServerMeansNoSwitch) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    testing::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    NotificationInhibitionFocus focus(bus.address());
    EXPECT_EQ(focus.doNotDisturb(), std::nullopt);
    EXPECT_EQ(NotificationInhibitionFocus(QStringLiteral("unix:path=/nonexistent/bus")).doNotDisturb(), std::nullopt);
}

}  // namespace
}  // namespace quorlix::platform
