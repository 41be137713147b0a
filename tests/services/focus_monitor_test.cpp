#include "services/focus_monitor.h"

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace focus_monitor_test {

using State = FocusMonitor::State;
using fakes::FakeAccessibilityElement;

std::string assertions(const std::string& mode) {
    return R"({"data": [{"storeAssertionRecords": [{"assertionDetails": {"assertionDetailsModeIdentifier": ")" +
           mode + R"("}}]}]})";
}

// The messages of the log, without their dates.
std::vector<std::string> logMessages() {
    std::vector<std::string> out;
    std::istringstream in(platform::readFile(KeyLog::path()).value_or(""));
    for (std::string line; std::getline(in, line);)
        out.push_back(line.substr(std::string("2027-01-15 08:00:00 +0000 ").size()));
    return out;
}

class FocusAssertionsTest : public ::testing::Test {
protected:
    fakes::TempHome home;
    std::filesystem::path file = home.path() / "Assertions.json";

    std::optional<State> read(const std::string& text) {
        EXPECT_FALSE(platform::writeFileAtomically(file, text));
        return FocusMonitor::fromAssertions(file);
    }
};

TEST_F(FocusAssertionsTest, FirstRecordNamesTheMode) {
    EXPECT_EQ(read(assertions("com.apple.focus.work")), (State{true, "Trabajo"}));
    EXPECT_EQ(read(assertions("com.apple.donotdisturb.mode.driving")), (State{true, "Conducir"}));
    EXPECT_EQ(read(assertions("com.example.Work")), (State{true, "No molestar"})) << "exact, case-sensitive";
    EXPECT_EQ(read(assertions("")), (State{true, "No molestar"}));
    EXPECT_EQ(read(R"({"data": [{"storeAssertionRecords": []}, {"x": 1},
                      {"storeAssertionRecords": [{"assertionDetails": {"assertionDetailsModeIdentifier": "a.sleep"}},
                                                 {"assertionDetails": {"assertionDetailsModeIdentifier": "a.work"}}]}]})"),
              (State{true, "Dormir"}));
    EXPECT_EQ(read(R"({"data": [{"storeAssertionRecords": [{"assertionDetails": 5}]}]})"),
              (State{true, "No molestar"}));
}

TEST_F(FocusAssertionsTest, NoRecordsMeansNoFocus) {
    EXPECT_EQ(read(R"({"data": []})"), (State{false, "No molestar"}));
    EXPECT_EQ(read(R"({"data": [{"other": []}, {"storeAssertionRecords": "x"}]})"),
              (State{false, "No molestar"}));
}

TEST_F(FocusAssertionsTest, UnreadableFilesGiveNothing) {
    EXPECT_EQ(FocusMonitor::fromAssertions(file), std::nullopt) << "missing";
    for (const char* text : {"", "{", "[]", R"({"data": {}})", R"({"data": [1]})", R"({"nodata": []})"})
        EXPECT_EQ(read(text), std::nullopt) << text;
}

class FocusMonitorTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeDesktopFocus& desktop = fake.desktopFocus;
    fakes::FakeAccessibility& ax = fake.accessibility;
    std::filesystem::path file = fake.home.path() / "Assertions.json";
    FocusMonitor monitor{fake.platform(), file};
    std::vector<State> changes;
    std::vector<double> readTimes;

    void SetUp() override {
        monitor.onChange = [this](const State& s) { changes.push_back(s); };
        desktop.duringRead = [this] { readTimes.push_back(fake.time.now()); };
    }
    void writeAssertions(const std::string& text) { ASSERT_FALSE(platform::writeFileAtomically(file, text)); }
    // Readings of the desktop switch within the next `seconds`.
    std::size_t readingsDuring(double seconds) {
        const std::size_t before = readTimes.size();
        fake.time.advance(seconds);
        return readTimes.size() - before;
    }
};

TEST_F(FocusMonitorTest, FirstReadingIsSilentEvenWithAFocusOn) {
    desktop.on = false;
    writeAssertions(assertions("x.work"));
    monitor.start();
    EXPECT_EQ(monitor.state.get(), (State{true, "Trabajo"})) << "the assertions file comes first";
    EXPECT_TRUE(readTimes.empty());
    fake.time.advance(10);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(logMessages().empty());
}

TEST_F(FocusMonitorTest, NameChangeAloneIsPublishedSilently) {
    writeAssertions(assertions("x.work"));
    monitor.start();
    writeAssertions(assertions("x.sleep"));
    fake.time.advance(0.5);
    EXPECT_EQ(monitor.state.get(), (State{true, "Dormir"}));
    EXPECT_TRUE(changes.empty());
}

TEST_F(FocusMonitorTest, AFlipCallsBackSwitchesThePollAndLogs) {
    desktop.on = false;
    monitor.start();
    EXPECT_EQ(monitor.state.get(), (State{false, "No molestar"}));
    EXPECT_EQ(readingsDuring(10), 5u) << "every 2.0 s while off";

    desktop.on = true;
    EXPECT_EQ(readingsDuring(2), 1u);
    EXPECT_EQ(changes, (std::vector<State>{{true, "No molestar"}}));
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"focus: activado · aviso  hace – · lectura 0 ms"}));
    EXPECT_EQ(readingsDuring(10), 20u) << "every 0.5 s while on";

    // Switched off from the desktop, which says so at once.
    fake.time.advance(0.2);
    desktop.on = false;
    desktop.notify();
    EXPECT_EQ(readingsDuring(0.05), 1u);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(logMessages().back(), "focus: desactivado · aviso barra hace 0.05 s · lectura 0 ms");
    EXPECT_EQ(fake.time.queue.nextDueIn(), 0.25) << "the burst's second reading";
}

TEST_F(FocusMonitorTest, FiveSignalsWithin20msGiveExactlyThreeReadings) {
    desktop.on = false;
    monitor.start();
    fake.time.advance(0.1);
    const double first = fake.time.now();
    readTimes.clear();
    for (int i = 0; i < 5; ++i) {
        desktop.notify();
        fake.time.advance(0.005);
    }
    fake.time.advance(1.5);  // before the next poll, 2.0 s after start
    ASSERT_EQ(readTimes.size(), 3u);
    EXPECT_NEAR(readTimes[0] - first, 0.05, 1e-9);
    EXPECT_NEAR(readTimes[1] - first, 0.3, 1e-9);
    EXPECT_NEAR(readTimes[2] - first, 0.7, 1e-9);
}

TEST_F(FocusMonitorTest, SlowReadingsAreLogged) {
    desktop.on = false;
    monitor.start();
    desktop.duringRead = [this] { fake.time.clock.setNow(fake.time.now() + 0.2); };
    fake.time.advance(2);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"focus: lectura lenta 200 ms"}));
}

TEST_F(FocusMonitorTest, NoSourceLeavesTheStateNone) {
    ax.applications["com.apple.controlcenter"] = {42};  // running, but not trusted
    monitor.start();
    fake.time.advance(10);
    EXPECT_EQ(monitor.state.get(), std::nullopt);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(logMessages().empty());
}

// Linux: no assertions file, no menu bar; the desktop switch's change signal is the only
// trigger, so nothing runs between changes, whatever the state.
TEST_F(FocusMonitorTest, WithoutFileOrMenuBarOnlyTheDesktopSignalReads) {
    EXPECT_EQ(FocusMonitor::defaultAssertionsFile(), std::nullopt);
    ax.menuBar = false;
    FocusMonitor desktopOnly{fake.platform(), std::nullopt};
    desktopOnly.onChange = [this](const State& s) { changes.push_back(s); };
    desktop.on = false;
    desktopOnly.start();
    EXPECT_EQ(desktopOnly.state.get(), (State{false, "No molestar"}));
    EXPECT_EQ(readingsDuring(60), 0u) << "no poll while off";
    EXPECT_LT(fake.time.queue.nextDueIn(), 0) << "nothing waits";

    desktop.on = true;
    desktop.notify();
    EXPECT_EQ(readingsDuring(1), 3u) << "one burst";
    EXPECT_EQ(changes, (std::vector<State>{{true, "No molestar"}}));
    EXPECT_EQ(readingsDuring(60), 0u) << "no poll while on";
}

// A menu bar drawn by process 42, holding `items`.
class FocusMenuBarTest : public FocusMonitorTest {
protected:
    std::shared_ptr<FakeAccessibilityElement> app = std::make_shared<FakeAccessibilityElement>();
    std::shared_ptr<FakeAccessibilityElement> bar = std::make_shared<FakeAccessibilityElement>();
    std::shared_ptr<FakeAccessibilityElement> focusItem =
        FakeAccessibilityElement::described("Concentración: Lectura", 42);

    void SetUp() override {
        FocusMonitorTest::SetUp();
        ax.trusted = true;
        ax.applications["com.apple.controlcenter"] = {42};
        ax.applicationElements[42] = app;
        app->pid = 42;
        app->elementAttributes["AXExtrasMenuBar"] = bar;
        bar->children = std::vector<platform::AccessibilityElementRef>{
            FakeAccessibilityElement::described("Wi-Fi"), focusItem};
    }
};

TEST_F(FocusMenuBarTest, FindsTheFocusItemAndWatchesIt) {
    monitor.start();
    EXPECT_EQ(monitor.state.get(), (State{true, "Lectura"}));
    EXPECT_EQ(ax.observedProcesses(), (std::vector<std::int32_t>{42})) << "the menu bar's process";
    fake.time.advance(0.5);
    EXPECT_EQ(ax.observedProcesses(), (std::vector<std::int32_t>{42, 42})) << "and the Focus item";
    for (double t : ax.timeouts) EXPECT_EQ(t, FocusMonitor::messagingTimeout);

    // The item goes away: the menu bar is still there, so focus is off.
    bar->children =
        std::vector<platform::AccessibilityElementRef>{FakeAccessibilityElement::described("Wi-Fi")};
    ax.post(focusItem, "AXUIElementDestroyed");
    fake.time.advance(0.05);
    EXPECT_EQ(changes, (std::vector<State>{{false, "No molestar"}}));
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{"focus: buscado · Wi-Fi",
                                        "focus: desactivado · aviso lunita hace 0.05 s · lectura 0 ms"}));
    EXPECT_EQ(ax.observedProcesses(), (std::vector<std::int32_t>{42})) << "the item is no longer watched";
}

TEST_F(FocusMenuBarTest, SearchesFourLevelsBelowTheBarAndLogsWhatItSawOnce) {
    auto deep =
        std::make_shared<FakeAccessibilityElement>(*FakeAccessibilityElement::described("No molestar"));
    for (int level = 0; level < 5; ++level) {
        auto parent = FakeAccessibilityElement::described(level == 0 ? "línea\nrota" : "");
        parent->children = std::vector<platform::AccessibilityElementRef>{deep};
        deep = parent;
    }
    bar->children = deep->children;  // the focus item five levels below the bar
    monitor.start();
    EXPECT_EQ(monitor.state.get(), (State{false, "No molestar"}));
    fake.time.advance(10);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"focus: buscado · línea rota"}));

    bar->children = deep->children.value()[0]->elements("AXChildren");  // now four levels below
    fake.time.advance(2);
    EXPECT_EQ(monitor.state.get(), (State{true, "No molestar"}));
}

TEST_F(FocusMenuBarTest, MenuBarRestartRebuildsTheObserversAtTheNextTick) {
    monitor.start();
    ax.applications["com.apple.controlcenter"] = {57};
    ax.applicationElements[57] = app;
    fake.time.advance(0.49);
    EXPECT_EQ(ax.observedProcesses(), (std::vector<std::int32_t>{42}));
    fake.time.advance(0.01);
    // The new menu-bar process, and the Focus item first watched at this tick's reading.
    EXPECT_EQ(ax.observedProcesses(), (std::vector<std::int32_t>{57, 42}));
}

}  // namespace focus_monitor_test
}  // namespace
}  // namespace quorlix
