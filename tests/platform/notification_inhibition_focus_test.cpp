#include "platform/linux/notification_inhibition_focus.h"

#include "dbus_stand_in.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace notification_inhibition_focus_test {

const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

class NotificationInhibitionFocusTest : public ::testing::Test {
protected:
    testing::QtApplicationMember app;
    testing::PrivateBus bus;

    void SetUp() override { ASSERT_TRUE(bus.ready()); }
};

TEST_F(NotificationInhibitionFocusTest, FollowsTheServersInhibition) {
    testing::StandInService server(bus.connect(QStringLiteral("server")), interface);
    ASSERT_TRUE(server.isRegistered());
    server.add(path, interface, {{"Inhibited", false}});

    NotificationInhibitionFocus focus(bus.connect(QStringLiteral("quorlix")));
    int changes = 0;
    const Subscription s = focus.observe([&] { ++changes; });
    EXPECT_EQ(focus.doNotDisturb(), false) << "the first reading waits for the answer";

    server.set(path, interface, "Inhibited", true);
    ASSERT_TRUE(testing::waitUntil([&] { return changes == 1; }));
    EXPECT_EQ(focus.doNotDisturb(), true);
}

TEST_F(NotificationInhibitionFocusTest, NoServerOrNoBusMeansNoSwitchUntilAServerComes) {
    NotificationInhibitionFocus focus(bus.connect(QStringLiteral("quorlix")));
    int changes = 0;
    const Subscription s = focus.observe([&] { ++changes; });
    EXPECT_EQ(focus.doNotDisturb(), std::nullopt);

    // A server started later is asked as it comes, without anyone reading again.
    testing::StandInService server(bus.connect(QStringLiteral("server")), interface);
    server.add(path, interface, {{"Inhibited", true}});
    ASSERT_TRUE(server.isRegistered());
    ASSERT_TRUE(testing::waitUntil([&] { return changes == 1; }));
    EXPECT_EQ(focus.doNotDisturb(), true);
    NotificationInhibitionFocus unconnected(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
    EXPECT_EQ(unconnected.doNotDisturb(), std::nullopt);
}

}  // namespace notification_inhibition_focus_test
}  // namespace
}  // namespace quorlix::platform
