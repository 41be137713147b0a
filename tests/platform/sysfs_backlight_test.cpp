// The backlight backend against a temporary /sys/class/backlight tree, with a stand-in logind
// on a private bus that writes the levels it is asked for into that tree.

#include "platform/linux/sysfs_backlight.h"

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"

#include "child_process.h"
#include "private_bus.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;
using Display = platform::DisplayBrightness::Display;

void put(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    ASSERT_FALSE(platform::writeFileAtomically(file, text + "\n"));
}

// logind's session object, as far as brightness goes: SetBrightness writes the backlight's
// files, as the kernel would.
class StandInLogind final : public QDBusVirtualObject {
public:
    explicit StandInLogind(fs::path root) : root_(std::move(root)) {}

    struct Call {
        std::string subsystem, device;
        unsigned value;
        friend bool operator==(const Call&, const Call&) = default;
    };
    std::vector<Call> calls;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QStringLiteral("org.freedesktop.login1.Session") ||
            message.member() != QStringLiteral("SetBrightness"))
            return false;
        const auto args = message.arguments();
        Call call{args.value(0).toString().toStdString(), args.value(1).toString().toStdString(),
                  args.value(2).toUInt()};
        calls.push_back(call);
        put(root_ / call.device / "brightness", std::to_string(call.value));
        put(root_ / call.device / "actual_brightness", std::to_string(call.value));
        connection.send(message.createReply());
        return true;
    }

private:
    fs::path root_;
};

class SysfsBacklightTest : public ::testing::Test, public QtApplicationMember {
protected:
    SysfsBacklightTest() {
        addDevice(root / "intel_backlight", "raw", 1000, 250);
        addDevice(root / "acpi_video0", "firmware", 100, 40);
        // A monitor reached over DDC/CI: its class entry links into the i2c device tree.
        addDevice(home.path() / "devices/i2c-4/4-0037/ddcci4/backlight/ddcci4", "raw", 100, 70);
        fs::create_directory_symlink(home.path() / "devices/i2c-4/4-0037/ddcci4/backlight/ddcci4",
                                     root / "ddcci4");
    }

    void addDevice(const fs::path& folder, const std::string& type, int max, int actual) {
        put(folder / "type", type);
        put(folder / "max_brightness", std::to_string(max));
        put(folder / "actual_brightness", std::to_string(actual));
        put(folder / "brightness", std::to_string(actual));
    }

    fakes::TempHome home;
    fs::path root = home.path() / "backlight";
    PrivateBus bus;
};

TEST_F(SysfsBacklightTest, DevicesAreOrderedByKindAndReadAsFractions) {
    platform::SysfsBacklight backlight(QDBusConnection(QString()), root);
    const auto displays = backlight.displays();
    ASSERT_EQ(displays.size(), 3u);
    // acpi_video0, then ddcci4 and intel_backlight by name.
    EXPECT_TRUE(displays[0].isBuiltIn);
    EXPECT_FALSE(displays[1].isBuiltIn);
    EXPECT_TRUE(displays[2].isBuiltIn);
    EXPECT_EQ(backlight.mainDisplay(), 1u);
    EXPECT_EQ(backlight.brightness(1), 0.4f);
    EXPECT_EQ(backlight.brightness(2), 0.7f);
    EXPECT_EQ(backlight.brightness(3), 0.25f);
    EXPECT_FALSE(backlight.brightness(4));
    EXPECT_FALSE(backlight.canWrite()) << "no bus";
    EXPECT_FALSE(backlight.setBrightness(1, 0.5f));

    put(root / "acpi_video0/actual_brightness", "garbage");
    EXPECT_FALSE(backlight.brightness(1));
    put(root / "acpi_video0/max_brightness", "0");
    put(root / "acpi_video0/actual_brightness", "0");
    EXPECT_FALSE(backlight.brightness(1)) << "a maximum of 0 divides nothing";

    EXPECT_TRUE(
        platform::SysfsBacklight(QDBusConnection(QString()), home.path() / "none").displays().empty());
}

TEST_F(SysfsBacklightTest, WritesGoThroughLogindAndChangesAreNoticed) {
    ASSERT_TRUE(bus.ready());
    QDBusConnection logindConnection = bus.connect(QStringLiteral("logind"));
    StandInLogind logind(root);
    ASSERT_TRUE(logindConnection.registerVirtualObject(QStringLiteral("/org/freedesktop/login1/session/auto"),
                                                       &logind, QDBusConnection::SingleNode));
    ASSERT_TRUE(logindConnection.registerService(QStringLiteral("org.freedesktop.login1")));

    platform::SysfsBacklight backlight(bus.connect(QStringLiteral("quorlix")), root, 0.05);
    ASSERT_TRUE(backlight.canWrite());
    int notices = 0;
    Subscription listening = backlight.listen(1, [&] { ++notices; });

    ASSERT_TRUE(backlight.setBrightness(1, 0.625f));
    EXPECT_EQ(backlight.brightness(1), 0.4f) << "the write is sent, not waited for";
    ASSERT_TRUE(waitUntil([&] { return notices == 1; }));
    EXPECT_EQ(logind.calls, (std::vector<StandInLogind::Call>{{"backlight", "acpi_video0", 63}}));
    EXPECT_EQ(backlight.brightness(1), 0.63f);

    // A change made elsewhere is found by the poll; another display's is not ours to hear. Its
    // own listener hears it in the same look at the files that would tell ours.
    int otherNotices = 0;
    Subscription other = backlight.listen(3, [&] { ++otherNotices; });
    put(root / "intel_backlight/actual_brightness", "900");
    ASSERT_TRUE(waitUntil([&] { return otherNotices == 1; }));
    EXPECT_EQ(notices, 1);
    put(root / "acpi_video0/actual_brightness", "10");
    ASSERT_TRUE(waitUntil([&] { return notices == 2; }));

    // Once it no longer listens, a change goes unheard: the one written after it is heard.
    listening.cancel();
    put(root / "acpi_video0/actual_brightness", "20");
    put(root / "intel_backlight/actual_brightness", "800");
    ASSERT_TRUE(waitUntil([&] { return otherNotices == 2; }));
    EXPECT_EQ(notices, 2);
}

}  // namespace
}  // namespace quorlix::testing
