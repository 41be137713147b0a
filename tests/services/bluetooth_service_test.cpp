#include "services/bluetooth_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

namespace quorlix {
namespace {

using Json = nlohmann::ordered_json;
using Kind = AudioDeviceInfo::Kind;
using platform::BluetoothDevice;

// A report holding `devices` (each one {name: properties}) in one section.
std::string report(std::vector<Json> devices) {
    Json section = {{"device_connected", Json::array()}};
    for (auto& d : devices) section["device_connected"].push_back(std::move(d));
    return Json{{"SPBluetoothDataType", Json::array({section})}}.dump();
}

Json device(const std::string& name, Json properties) { return Json{{name, std::move(properties)}}; }

TEST(BluetoothParseBatteryTest, MatchesByNormalisedAddressOrExactName) {
    const std::string r = report({
        device("Teclado", {{"device_address", "00:11:22:33:44:55"}, {"device_batteryLevelMain", "50%"}}),
        device("AirPods de Ana", {{"device_address", "a4-c3-f0-11-22-33"},
                                  {"device_batteryLevelLeft", "80%"},
                                  {"device_batteryLevelRight", "75%"},
                                  {"device_batteryLevelCase", "40%"}}),
    });
    const BatteryLevels buds{80, 75, 40, std::nullopt};
    EXPECT_EQ(BluetoothService::parseBattery(r, "A4:C3:F0:11:22:33", "otro"), buds);
    EXPECT_EQ(BluetoothService::parseBattery(r, "a4-c3-f0-11-22-33", "otro"), buds);
    EXPECT_EQ(BluetoothService::parseBattery(r, "", "AirPods de Ana"), buds);
    EXPECT_EQ(BluetoothService::parseBattery(r, "", "airpods de ana"), std::nullopt) << "names match exactly";
    EXPECT_EQ(BluetoothService::parseBattery(r, "FF:FF:FF:FF:FF:FF", "Nadie"), std::nullopt);

    // An entry without an address has the empty one; it must not stand in for a device
    // whose address is unknown.
    const std::string unaddressed = report({device("Ratón", {{"device_batteryLevelMain", "20%"}}),
                                            device("Auriculares", {{"device_batteryLevelMain", "90%"}})});
    EXPECT_EQ(BluetoothService::parseBattery(unaddressed, "", "Auriculares"), (BatteryLevels{.main = 90}));
}

TEST(BluetoothParseBatteryTest, PercentRule) {
    struct Case {
        Json value;
        std::optional<std::int64_t> level;
    } cases[] = {
        {"85%", 85},
        {" 85 % ", 85},
        {"\t85", 85},
        {"85", 85},
        {"+85", 85},
        {"-5", -5},
        {"100%%", 100},
        {85, std::nullopt},  // a JSON number is not a level
        {"", std::nullopt},
        {"%", std::nullopt},
        {"ochenta", std::nullopt},
        {"85.5%", std::nullopt},
        {"8 5", std::nullopt},
        {"85\n", std::nullopt},
        {"+-5", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string r = report({device("Audífonos", {{"device_batteryLevelMain", c.value}})});
        const auto levels = BluetoothService::parseBattery(r, "", "Audífonos");
        EXPECT_EQ(levels ? levels->main : std::nullopt, c.level) << c.value.dump();
    }
}

TEST(BluetoothParseBatteryTest, FirstMatchEndsTheSearchEvenWithoutLevels) {
    const std::string r = report({
        device("Sony", {{"device_address", "AA:BB:CC:DD:EE:FF"}}),
        device("Sony", {{"device_address", "11:11:11:11:11:11"}, {"device_batteryLevelMain", "70%"}}),
    });
    EXPECT_EQ(BluetoothService::parseBattery(r, "", "Sony"), std::nullopt);
}

TEST(BluetoothParseBatteryTest, MalformedReportsGiveNothing) {
    for (const char* r :
         {"no es json", "[]", R"({"SPBluetoothDataType": []})", R"({"SPBluetoothDataType": {}})",
          R"({"SPBluetoothDataType": [{"device_connected": [{"X": {"device_batteryLevelMain": "7"}}]}, 3]})",
          R"({"SPBluetoothDataType": [{"device_connected": [{"X": "70%"}]}]})"}) {
        EXPECT_EQ(BluetoothService::parseBattery(r, "", "X"), std::nullopt) << r;
    }
}

TEST(BluetoothHeadphonesBatteryTest, LowerBudOfTheFirstEarbudsThenASingleBattery) {
    const Json keyboard = device("Teclado", {{"device_majorClass", "5"}, {"device_batteryLevelMain", "50%"}});
    const Json overEar =
        device("WH-1000XM4", {{"device_majorClass", "4"}, {"device_batteryLevelMain", "70%"}});
    const Json buds =
        device("AirPods Pro", {{"device_batteryLevelLeft", "80%"}, {"device_batteryLevelRight", "60%"}});
    const Json caseOnly = device("AirPods", {{"device_batteryLevelCase", "90%"}});
    const Json oneBud = device("Beats Flex", {{"device_batteryLevelRight", "35"}});

    EXPECT_EQ(BluetoothService::headphonesBattery(report({buds})), 60);
    EXPECT_EQ(BluetoothService::headphonesBattery(report({oneBud})), 35);
    EXPECT_EQ(BluetoothService::headphonesBattery(report({keyboard, overEar})), 70)
        << "a keyboard never counts";
    EXPECT_EQ(BluetoothService::headphonesBattery(report({overEar, buds})), 60) << "earbuds come first";
    EXPECT_EQ(BluetoothService::headphonesBattery(report({caseOnly, overEar})), 70)
        << "the case never counts";
    EXPECT_EQ(BluetoothService::headphonesBattery(report({keyboard, caseOnly})), std::nullopt);
    EXPECT_EQ(BluetoothService::headphonesBattery("{"), std::nullopt);
}

class BluetoothConnectionTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeBluetoothDevices& devices = fake.bluetoothDevices;
    std::optional<BluetoothService> service{std::in_place};
    std::vector<std::pair<double, AudioDeviceInfo>> reports;
    double startedAt = 0;

    void SetUp() override {
        service->onDevice = [this](const AudioDeviceInfo& info) {
            reports.emplace_back(fake.time.now() - startedAt, info);
        };
        service->start();
        fake.time.advance(5);  // past the quiet period
        startedAt = fake.time.now();
    }

    static BluetoothDevice headphones(std::optional<std::string> name = "WH-1000XM4") {
        return {std::move(name), "a4-c3-f0-11-22-33", BluetoothDevice::audioVideoClass};
    }
    static std::string withLevel(const char* level) {
        return report({device(
            "WH-1000XM4", {{"device_address", "A4:C3:F0:11:22:33"}, {"device_batteryLevelMain", level}})});
    }
};

TEST_F(BluetoothConnectionTest, ConnectionsDuringTheQuietPeriodAreIgnored) {
    service->start();
    fake.time.advance(2);
    devices.connect(headphones());
    fake.time.advance(1);  // exactly 3.0 s after start
    devices.connect(headphones());
    fake.time.advance(10);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(devices.reportCount(), 0);
}

TEST_F(BluetoothConnectionTest, AcceptsAudioClassOrHeadphoneNames) {
    devices.connect({"MX Master", "00:11:22:33:44:55", 5});
    devices.connect({"My BEATS Solo", "00:11:22:33:44:56", 0});
    devices.connect({"AirPods de Ana", std::nullopt, 1});
    devices.connect({std::nullopt, std::nullopt, BluetoothDevice::audioVideoClass});
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].second, (AudioDeviceInfo{"My BEATS Solo", Kind::headphones, {}}));
    EXPECT_EQ(reports[1].second, (AudioDeviceInfo{"AirPods de Ana", Kind::airpods, {}}));
    EXPECT_EQ(reports[2].second, (AudioDeviceInfo{"Audífonos", Kind::headphones, {}}));
}

TEST_F(BluetoothConnectionTest, ReportsAtOnceThenWithLevelsAtTheFirstSuccessfulReading) {
    devices.queueReport(std::nullopt);
    devices.queueReport(withLevel("85%"));
    devices.connect(headphones());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, 0);
    EXPECT_EQ(reports[0].second.battery, BatteryLevels{});

    fake.time.advance(1.49);
    EXPECT_EQ(devices.reportCount(), 0);
    fake.time.advance(0.01);
    EXPECT_EQ(devices.reportCount(), 1) << "first reading at 1.5 s";
    fake.time.advance(2.49);
    EXPECT_EQ(reports.size(), 1u);
    fake.time.advance(0.01);
    ASSERT_EQ(reports.size(), 2u) << "second reading at 4.0 s";
    EXPECT_DOUBLE_EQ(reports[1].first, 4.0);
    EXPECT_EQ(reports[1].second, (AudioDeviceInfo{"WH-1000XM4", Kind::headphones, {.main = 85}}));

    fake.time.advance(30);
    EXPECT_EQ(devices.reportCount(), 2);
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(BluetoothConnectionTest, OneReadingWhenItSucceedsTwoAtMostWhenNot) {
    devices.setStandingReport(withLevel("40%"));
    devices.connect(headphones());
    fake.time.advance(30);
    EXPECT_EQ(devices.reportCount(), 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_DOUBLE_EQ(reports[1].first, 1.5);

    devices.setStandingReport(report({}));
    devices.connect(headphones());
    fake.time.advance(30);
    EXPECT_EQ(devices.reportCount(), 3);
    EXPECT_EQ(reports.size(), 3u) << "no levels: only the first report";
}

TEST_F(BluetoothConnectionTest, NothingArrivesAfterTheServiceIsGone) {
    devices.setStandingReport(withLevel("85%"));
    devices.connect(headphones());
    service.reset();
    fake.time.advance(30);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(devices.reportCount(), 0);
}

// A backend whose first report hangs until the test lets it go, then answers with levels;
// later reports find nothing at once.
class HangingDevices final : public platform::BluetoothDevices {
public:
    Subscription observeConnections(std::function<void(const BluetoothDevice&)> handler) override {
        return connections.connect(std::move(handler));
    }
    std::optional<std::string> report() override {
        std::unique_lock lock(mutex_);
        if (entered_) return std::nullopt;
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        return quorlix::report({device("WH-1000XM4", {{"device_batteryLevelMain", "85%"}})});
    }
    void waitUntilEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    Signal<BluetoothDevice> connections;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
};

// Returns once every job added to `queue` so far has finished (and posted what it posts).
void drain(platform::SerialQueue& queue) {
    std::promise<void> done;
    queue.async([&] { done.set_value(); });
    done.get_future().wait();
}

TEST(BluetoothServiceTimeLimitTest, AHungReadingResumesWithNothing) {
    fakes::FakePlatform fake;
    HangingDevices hanging;
    platform::ThreadSerialQueue queue;
    BluetoothService service(&hanging, &queue);
    std::vector<AudioDeviceInfo> reports;
    service.onDevice = [&](const AudioDeviceInfo& info) { reports.push_back(info); };
    service.start();
    fake.time.advance(5);
    hanging.connections.emit({"WH-1000XM4", "A4:C3:F0:11:22:33", BluetoothDevice::audioVideoClass});

    fake.time.advance(1.5);
    hanging.waitUntilEntered();
    fake.time.runPending();  // the reading has started: its time limit runs from here
    fake.time.advance(BluetoothService::reportTimeLimit - 0.01);
    EXPECT_NEAR(fake.time.queue.nextDueIn(), 0.01, 1e-9) << "only the time limit is waiting";
    fake.time.advance(0.01);
    // Given up: the follow-up goes on to its second reading, 2.5 s later.
    EXPECT_DOUBLE_EQ(fake.time.queue.nextDueIn(), 2.5);

    hanging.release();
    drain(queue);
    fake.time.runPending();
    EXPECT_EQ(reports.size(), 1u) << "the late answer is dropped";

    fake.time.advance(2.5);
    drain(queue);
    fake.time.runPending();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(fake.time.queue.nextDueIn(), -1) << "nothing more is planned";
}

}  // namespace
}  // namespace quorlix
