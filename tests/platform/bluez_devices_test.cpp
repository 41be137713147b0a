#include "platform/linux/bluez_devices.h"

#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "services/bluetooth_service.h"

#include "dbus_stand_in.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace quorlix::platform {
namespace {

using testing::StandInService;

const QString device1 = QStringLiteral("org.bluez.Device1");
const QString battery1 = QStringLiteral("org.bluez.Battery1");

class BluezDevicesTest : public ::testing::Test {
protected:
    testing::QtApplicationMember app;
    // Stands in for the system bus.
    testing::PrivateBus bus;
    QDBusConnection connection = bus.connect(QStringLiteral("quorlix"));
    std::optional<StandInService> bluez;

    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        bluez.emplace(bus.connect(QStringLiteral("bluez")), QStringLiteral("org.bluez"));
        ASSERT_TRUE(bluez->isRegistered());
    }

    static QVariantMap device(const QString& alias, const QString& address, std::optional<quint32> cls,
                              bool connected, const QString& icon = {}) {
        QVariantMap d{{"Alias", alias}, {"Address", address}, {"Connected", connected}};
        if (cls) d["Class"] = QVariant::fromValue(*cls);
        if (!icon.isEmpty()) d["Icon"] = icon;
        return d;
    }
};

TEST_F(BluezDevicesTest, ConnectedHeadphonesAreReportedAtOnceAndAgainWithTheirBattery) {
    const QString path = QStringLiteral("/org/bluez/hci0/dev_A4_C3_F0_11_22_33");
    bluez->add(path, device1, device("WH-1000XM4", "A4:C3:F0:11:22:33", 0x240404u, false));

    QtMainQueue mainQueue;
    SystemClock clock;
    Platform p;
    p.mainQueue = &mainQueue;
    p.clock = &clock;
    install(p);
    {
        BluezDevices devices(connection);
        ThreadSerialQueue reports;
        BluetoothService service(&devices, &reports);
        std::vector<AudioDeviceInfo> seen;
        service.onDevice = [&](const AudioDeviceInfo& info) { seen.push_back(info); };
        service.start();
        service.startedAt = Date(0);  // long past the quiet period

        QTimer::singleShot(50, [&] {
            bluez->set(path, device1, "Connected", true);
            // The battery service appears a moment after the connection, as with BlueZ.
            QTimer::singleShot(300, [&] {
                bluez->add(path, battery1, {{"Percentage", QVariant::fromValue(uchar(85))}});
            });
        });
        ASSERT_TRUE(testing::waitUntil([&] { return seen.size() >= 2; }));
        EXPECT_EQ(seen[0], (AudioDeviceInfo{"WH-1000XM4", AudioDeviceInfo::Kind::headphones, {}}));
        EXPECT_EQ(seen[1], (AudioDeviceInfo{"WH-1000XM4", AudioDeviceInfo::Kind::headphones, {.main = 85}}));
    }
    install(Platform{});
}

TEST_F(BluezDevicesTest, ReportListsConnectedDevicesInTheShapeTheServiceReads) {
    bluez->add("/org/bluez/hci0/dev_00_11_22_33_44_55", device1,
               device("Teclado", "00:11:22:33:44:55", 0x002540u, true));
    bluez->add("/org/bluez/hci0/dev_00_11_22_33_44_55", battery1,
               {{"Percentage", QVariant::fromValue(uchar(50))}});
    bluez->add("/org/bluez/hci0/dev_66_77_88_99_AA_BB", device1,
               device("Buds LE", "66:77:88:99:AA:BB", std::nullopt, true, "audio-headphones"));
    bluez->add("/org/bluez/hci0/dev_66_77_88_99_AA_BB", battery1,
               {{"Percentage", QVariant::fromValue(uchar(64))}});
    bluez->add("/org/bluez/hci0/dev_CC_CC_CC_CC_CC_CC", device1,
               device("Desconectado", "CC:CC:CC:CC:CC:CC", 0x240404u, false));
    PeerCalls calls;
    BluezDevices devices(connection, &calls);

    // Blocking, as on the utility queue: off this thread.
    auto pending = std::async(std::launch::async, [&] { return devices.report(); });
    ASSERT_TRUE(testing::waitUntil(
        [&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const std::optional<std::string> report = pending.get();
    ASSERT_TRUE(report);
    EXPECT_EQ(
        *report,
        R"({"SPBluetoothDataType":[{"device_connected":[)"
        R"({"Teclado":{"device_address":"00:11:22:33:44:55","device_majorClass":"5","device_batteryLevelMain":"50%"}},)"
        R"({"Buds LE":{"device_address":"66:77:88:99:AA:BB","device_majorClass":"4","device_batteryLevelMain":"64%"}}]}]})");
    EXPECT_EQ(BluetoothService::headphonesBattery(*report), 64)
        << "the keyboard's battery is not the headphones'";
    EXPECT_EQ(BluetoothService::parseBattery(*report, "00-11-22-33-44-55", "")->main, 50);
}

// Whether a wait in another thread has ended.
template <class T>
bool ended(const std::future<T>& wait) {
    return wait.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

TEST_F(BluezDevicesTest, WaitsOnABluezThatOwnsItsNameButNeverAnswersEndAtQuit) {
    std::atomic<int> asked = 0;
    bluez->handle(QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"),
                  [&](const QDBusMessage&) {
                      ++asked;
                      return QDBusMessage();  // no answer, ever
                  });
    PeerCalls calls;
    BluezDevices devices(connection, &calls);
    // The report, and the same call with a time limit of an hour: only the quit ends them.
    auto report = std::async(std::launch::async, [&] { return devices.report(); });
    auto longCall = std::async(std::launch::async, [&] {
        return calls.call(connection,
                          QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), QStringLiteral("/"),
                                                         QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                         QStringLiteral("GetManagedObjects")),
                          3600 * 1000);
    });
    ASSERT_TRUE(testing::waitUntil([&] { return asked == 2; })) << "the calls never reached BlueZ";
    EXPECT_FALSE(ended(longCall));
    calls.stop();
    ASSERT_TRUE(testing::waitUntil([&] { return ended(report) && ended(longCall); }));
    EXPECT_EQ(report.get(), std::nullopt);
    EXPECT_EQ(longCall.get().type(), QDBusMessage::ErrorMessage);
    // Later ones are refused without reaching BlueZ.
    EXPECT_EQ(std::async(std::launch::async, [&] { return devices.report(); }).get(), std::nullopt);
    EXPECT_EQ(asked, 2);
}

TEST_F(BluezDevicesTest, NoBluezMeansNoReport) {
    bluez.reset();
    BluezDevices devices(connection);
    EXPECT_EQ(devices.report(), std::nullopt);
}

}  // namespace
}  // namespace quorlix::platform
