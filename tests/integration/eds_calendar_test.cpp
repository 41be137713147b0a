// The calendar store on Evolution Data Server: the source registry and the calendar factory
// started on a private session bus, with local calendars in a temporary home, read through
// the real backend and the calendar service, and through the module the program loads.

#include "desktop_session.h"
#include "fakes/fake_platform.h"
#include "fakes/well_formed_text.h"
#include "platform/capped_text.h"
#include "platform/key_log.h"
#include "platform/linux/eds/eds_calendar_store.h"
#include "platform/linux/module_calendar_store.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/private_bus.h"
#include "platform/qt_test_support.h"
#include "services/calendar_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <libecal/libecal.h>
#include <libedataserver/libedataserver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The thread of EDS's source registry ends before GLib hands back its bus subscriptions, so a
// few bytes of them stay behind when the registry goes: the library's, not ours. Full stacks
// (GLib keeps no frame pointers) let the suppression name the library.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libedataserver-1.2.so\n"; }

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;
using platform::CalendarEvent;

constexpr const char* registryProgram = "/usr/libexec/evolution-source-registry";
constexpr const char* factoryProgram = "/usr/libexec/evolution-calendar-factory";
constexpr const char* factoryBusName = "org.gnome.evolution.dataserver.Calendar8";
constexpr double hour = 3600;
constexpr double day = 86400;

// `date` as an iCalendar time: in UTC ("…Z"), or as the wall clock of a zone `offset`
// seconds east of UTC.
std::string ical(Date date, std::optional<int> offset = std::nullopt) {
    const std::time_t t = static_cast<std::time_t>(date.secondsSince1970) + offset.value_or(0);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, offset ? "%Y%m%dT%H%M%S" : "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

std::string localDay(Date date, int days) {
    const std::time_t t = static_cast<std::time_t>(date.secondsSince1970) + days * 86400;
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &parts);
    return text;
}

std::string event(const std::string& uid, const std::string& summary, const std::string& times,
                  const std::string& extra = {}) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:" + summary + "\r\n" +
           times + extra + "END:VEVENT\r\n";
}

std::string span(Date start, Date end) {
    return "DTSTART:" + ical(start) + "\r\nDTEND:" + ical(end) + "\r\n";
}

// The application's queue on Qt's event loop, whose timed waits the test can end early: the
// store tries a calendar again some seconds after EDS went away, and the test, which brought
// EDS back, has those tries made at once rather than wait for them.
class HurriedQueue final : public platform::MainQueue {
public:
    // Runs now every timed wait not run yet.
    void hurry() {
        for (auto& job : std::exchange(timed_, {})) qt_.post([job] { job->run(); });
    }

protected:
    void schedule(double seconds, std::shared_ptr<platform::Job> job) override {
        if (seconds <= 0) return qt_.post([job] { job->run(); });
        std::erase_if(timed_, [](const auto& held) { return held->finished || held->cancelled; });
        timed_.push_back(job);
        qt_.after(seconds, [job] { job->run(); }).detach();
    }
    void scheduleUptime(double seconds, std::shared_ptr<platform::Job> job) override {
        qt_.afterUptime(seconds, [job] { job->run(); }).detach();
    }

private:
    platform::QtMainQueue qt_;
    std::vector<std::shared_ptr<platform::Job>> timed_;
};

class EdsCalendarStoreTest : public ::testing::Test {
protected:
    QtApplicationMember app;
    fakes::TempHome home;
    Variable settings{"GSETTINGS_BACKEND", "memory"};
    // The bus starts nothing itself, so the registry and the factory are the test's only ones.
    std::optional<PrivateBus> bus;
    std::optional<Variable> address;
    std::optional<QDBusConnection> watcher;
    HurriedQueue mainQueue;
    platform::SystemClock clock;
    std::unique_ptr<ChildProcess> registry;
    std::unique_ptr<ChildProcess> factory;
    // Whole minutes, so the times written read back exactly.
    Date base{std::ceil(clock.date().secondsSince1970 / 60) * 60};

    void SetUp() override {
        for (const char* program : {registryProgram, factoryProgram})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed (evolution-data-server)";
        if (!installed("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
        bus.emplace();
        ASSERT_TRUE(bus->ready());
        address.emplace("DBUS_SESSION_BUS_ADDRESS", bus->address());
        platform::MainQueue::install(&mainQueue);
        platform::Clock::install(&clock);
        writeCalendars();

        // Both run before Quorlix asks, as on a desktop.
        watcher.emplace(bus->connect(QStringLiteral("eds-watcher")));
        startEds();
    }

    // Whether a name is on the bus.
    bool onTheBus(const char* name) {
        return watcher->interface()->isServiceRegistered(QString::fromLatin1(name)).value();
    }

    // Starts the registry, then the factory, which reads the calendars from it; the factory
    // would quit once its last client left. Every later wait watches both, and a failure
    // shows their log.
    void startEds() {
        const std::string log = (home.path() / "eds.log").string();
        const std::vector<ChildProcess::Open> output{{1, log, O_WRONLY | O_CREAT | O_APPEND},
                                                     {2, log, O_WRONLY | O_CREAT | O_APPEND}};
        registry = std::make_unique<ChildProcess>(std::vector<std::string>{registryProgram}, output);
        registry->watch();
        ASSERT_TRUE(waitUntil([&] { return onTheBus(platform::EdsCalendarStore::registryBusName); }));
        factory = std::make_unique<ChildProcess>(std::vector<std::string>{factoryProgram, "--keep-running"},
                                                 output);
        factory->watch();
        ASSERT_TRUE(waitUntil([&] { return onTheBus(factoryBusName); }));
    }

    void TearDown() override {
        factory.reset();
        registry.reset();
        watcher.reset();
        bus.reset();
        platform::MainQueue::install(nullptr);
        platform::Clock::install(nullptr);
    }

    void source(const std::string& uid, const std::string& name, bool enabled, const std::string& color,
                const std::string& events) {
        const fs::path sources = home.config() / "evolution" / "sources";
        fs::create_directories(sources);
        std::ofstream(sources / (uid + ".source"))
            << "[Data Source]\nDisplayName=" << name << "\nEnabled=" << (enabled ? "true" : "false")
            << "\nParent=local-stub\n\n[Calendar]\nBackendName=local\n"
            << "Color=" << color << "\n";
        const fs::path folder = home.data() / "evolution" / "calendar" / uid;
        fs::create_directories(folder);
        std::ofstream(folder / "calendar.ics")
            << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quorlix//Prueba//ES\r\n"
            << "BEGIN:VTIMEZONE\r\nTZID:Quorlix-Hora-fija\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
               "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0200\r\nTZNAME:HF\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
            << events << "END:VCALENDAR\r\n";
    }

    void writeCalendars() {
        const Date daily = base.addingTimeInterval(3 * hour - 2 * day);
        const Date moved = base.addingTimeInterval(3 * hour + day);
        source("trabajo", "Trabajo", true, "#ff0000",
               event("reunion", "Reunión",
                     span(base.addingTimeInterval(hour), base.addingTimeInterval(1.5 * hour)),
                     "LOCATION:Sala 2\r\n") +
                   event("cumple", "Cumpleaños",
                         "DTSTART;VALUE=DATE:" + localDay(base, 0) +
                             "\r\nDTEND;VALUE=DATE:" + localDay(base, 1) + "\r\n") +
                   event("diario", "Diario", span(daily, daily.addingTimeInterval(0.5 * hour)),
                         "RRULE:FREQ=DAILY;COUNT=5\r\n") +
                   event("diario", "Diario (movido)",
                         span(moved.addingTimeInterval(0.5 * hour), moved.addingTimeInterval(hour)),
                         "RECURRENCE-ID:" + ical(moved) + "\r\n") +
                   event("kolkata", "En Kolkata",
                         "DTSTART;TZID=Asia/Kolkata:" + ical(base.addingTimeInterval(4 * hour), 19800) +
                             "\r\nDTEND;TZID=Asia/Kolkata:" + ical(base.addingTimeInterval(5 * hour), 19800) +
                             "\r\n") +
                   event("propia", "Hora propia",
                         "DTSTART;TZID=Quorlix-Hora-fija:" + ical(base.addingTimeInterval(4.5 * hour), 7200) +
                             "\r\nDTEND;TZID=Quorlix-Hora-fija:" +
                             ical(base.addingTimeInterval(5 * hour), 7200) + "\r\n"));
        // The same invitation in a second calendar, without a colour or a location.
        source("casa", "Casa", true, "",
               event("llamada", "Llamada",
                     span(base.addingTimeInterval(2 * hour), base.addingTimeInterval(2.5 * hour))) +
                   event("reunion", "Reunión",
                         span(base.addingTimeInterval(hour), base.addingTimeInterval(1.5 * hour))));
        source("viejo", "Viejo", false, "#00ff00",
               event("oculto", "Oculto",
                     span(base.addingTimeInterval(hour), base.addingTimeInterval(2 * hour))));
    }

    // Adds an event a quarter of an hour from now to the "trabajo" calendar, as another program
    // would.
    void addToWork(const std::string& uid, const std::string& title, const std::string& extra = {}) {
        GError* error = nullptr;
        ESourceRegistry* sources = e_source_registry_new_sync(nullptr, &error);
        ASSERT_TRUE(sources) << error->message;
        ESource* work = e_source_registry_ref_source(sources, "trabajo");
        ASSERT_TRUE(work);
        // A local calendar has no online state to wait for (after a restart the factory never
        // reports one, and a wait for it would only run out).
        EClient* client = e_cal_client_connect_sync(work, E_CAL_CLIENT_SOURCE_TYPE_EVENTS,
                                                    static_cast<guint32>(-1), nullptr, &error);
        ASSERT_TRUE(client) << error->message;
        ICalComponent* added = i_cal_component_new_from_string(
            event(uid, title, span(base.addingTimeInterval(0.25 * hour), base.addingTimeInterval(0.5 * hour)),
                  extra)
                .c_str());
        EXPECT_TRUE(e_cal_client_create_object_sync(E_CAL_CLIENT(client), added, E_CAL_OPERATION_FLAG_NONE,
                                                    nullptr, nullptr, &error))
            << (error ? error->message : "");
        g_clear_error(&error);
        g_object_unref(added);
        g_object_unref(client);
        g_object_unref(work);
        g_object_unref(sources);
    }

    static const CalendarEvent* find(const std::vector<CalendarEvent>& events, const std::string& identifier,
                                     Date start) {
        const auto it = std::find_if(events.begin(), events.end(), [&](const CalendarEvent& e) {
            return e.identifier == identifier && e.start == start;
        });
        return it == events.end() ? nullptr : &*it;
    }
};

TEST_F(EdsCalendarStoreTest, EventsOfEveryEnabledCalendarInTheirOwnTimeZonesFollowChangesAndRestarts) {
    platform::EdsCalendarStore store(mainQueue, [](const std::string& line) { KeyLog::write(line); });
    // The bus answers without the store ever waiting on it.
    EXPECT_EQ(store.authorizationStatus(), platform::CalendarAuthorization::notDetermined);
    ASSERT_TRUE(waitUntil(
        [&] { return store.authorizationStatus() == platform::CalendarAuthorization::fullAccess; }));
    const Date from = base.addingTimeInterval(-hour);
    const Date to = base.addingTimeInterval(3 * day);
    int changes = 0;
    const Subscription watch = store.changed.connect([&] { ++changes; });
    struct Expected {
        std::string identifier;
        double start;  // hours after base
        double end;
        std::optional<std::string> title;
        bool isAllDay = false;
    };
    const Expected timed[] = {
        {"trabajo/reunion", 1, 1.5, "Reunión"},
        {"casa/reunion", 1, 1.5, "Reunión"},
        {"casa/llamada", 2, 2.5, "Llamada"},
        {"trabajo/diario", 3, 3.5, "Diario"},
        {"trabajo/diario", 3.5 + 24, 4 + 24, "Diario (movido)"},
        {"trabajo/diario", 3 + 48, 3.5 + 48, "Diario"},
        {"trabajo/kolkata", 4, 5, "En Kolkata"},
        {"trabajo/propia", 4.5, 5, "Hora propia"},
    };
    std::vector<CalendarEvent> events;
    // Each calendar's events arrive on their own, the zone only the calendar's server knows last.
    ASSERT_TRUE(waitUntil([&] {
        events = store.events(from, to);
        return std::all_of(std::begin(timed), std::end(timed), [&](const Expected& e) {
            return find(events, e.identifier, base.addingTimeInterval(e.start * hour)) != nullptr;
        });
    })) << events.size()
        << " events";
    EXPECT_GT(changes, 0);

    for (const auto& e : timed) {
        SCOPED_TRACE(e.identifier + " at " + std::to_string(e.start));
        const CalendarEvent* found = find(events, e.identifier, base.addingTimeInterval(e.start * hour));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->end, base.addingTimeInterval(e.end * hour));
        EXPECT_EQ(found->title, e.title);
        EXPECT_FALSE(found->isAllDay);
        if (e.identifier.starts_with("trabajo/"))
            EXPECT_EQ(found->color, (platform::CalendarColor{1, 0, 0}));
        else
            EXPECT_EQ(found->color, std::nullopt);
    }
    // The detached occurrence stands in for the one it replaces; the disabled calendar is absent.
    EXPECT_FALSE(find(events, "trabajo/diario", base.addingTimeInterval(3 * hour + day)));
    const auto count = [&](const std::string& identifier) {
        return std::count_if(events.begin(), events.end(),
                             [&](const auto& e) { return e.identifier == identifier; });
    };
    EXPECT_EQ(count("viejo/oculto"), 0);
    EXPECT_EQ(count("trabajo/cumple"), 1);
    const auto birthday = std::find_if(events.begin(), events.end(),
                                       [](const auto& e) { return e.identifier == "trabajo/cumple"; });
    EXPECT_TRUE(birthday->isAllDay);
    EXPECT_EQ(find(events, "trabajo/reunion", base.addingTimeInterval(hour))->location, "Sala 2");
    EXPECT_EQ(find(events, "casa/llamada", base.addingTimeInterval(2 * hour))->location, std::nullopt);

    // The calendar service on the same store: the all-day event is left out, the two copies of
    // one invitation are two rows with their own ids, each reminded on its own.
    CalendarService calendar(&store, nullptr);
    calendar.start();
    EXPECT_EQ(calendar.access.get(), CalendarService::Access::granted);
    std::vector<std::string> titles;
    ASSERT_TRUE(waitUntil([&] {
        titles.clear();
        for (const auto& e : calendar.events.get()) titles.push_back(e.title);
        return titles.size() == 4;
    }));
    EXPECT_EQ(titles, (std::vector<std::string>{"Reunión", "Reunión", "Llamada", "Diario"}));
    EXPECT_NE(calendar.events.get()[0].id, calendar.events.get()[1].id);

    // An event added while it runs reaches the list.
    const auto listed = [&](const std::string& title) {
        return waitFor(
            [&] {
                const auto& events = calendar.events.get();
                return std::any_of(events.begin(), events.end(),
                                   [&](const auto& e) { return e.title == title; });
            },
            {},
            [&] {
                mainQueue.hurry();
                runEventLoop();
            });
    };
    addToWork("nuevo", "Nuevo");
    EXPECT_TRUE(listed("Nuevo"));
    EXPECT_EQ(calendar.events.get()[0].title, "Nuevo");

    // EDS ends and starts again, as when it restarts: the calendar factory and the registry
    // end, and once they have left the bus come back in the same order as at first. The store
    // finds them again, and the next event another program adds reaches the list too.
    factory.reset();
    registry.reset();
    ASSERT_TRUE(waitUntil(
        [&] { return !onTheBus(platform::EdsCalendarStore::registryBusName) && !onTheBus(factoryBusName); }));
    startEds();
    if (HasFatalFailure()) return;
    addToWork("despues", "Después");
    EXPECT_TRUE(listed("Después"));
}

// Another program may write an event of any size: a title and a place of hundreds of kilobytes
// arrive cut to what a screen can show, whole code points.
TEST_F(EdsCalendarStoreTest, AHugeTitleAndPlaceArriveCapped) {
    platform::EdsCalendarStore store(mainQueue, [](const std::string& line) { KeyLog::write(line); });
    ASSERT_TRUE(waitUntil(
        [&] { return store.authorizationStatus() == platform::CalendarAuthorization::fullAccess; }));
    std::string huge;
    while (huge.size() < 300'000) huge += "Cumbre ñ東😀 ";
    addToWork("enorme", huge, "LOCATION:" + huge + "\r\n");
    const Date start = base.addingTimeInterval(0.25 * hour);
    std::optional<CalendarEvent> found;
    ASSERT_TRUE(waitUntil([&] {
        const auto events = store.events(base, base.addingTimeInterval(hour));
        if (const CalendarEvent* e = find(events, "trabajo/enorme", start)) found = *e;
        return found.has_value();
    }));
    for (const auto& text : {found->title, found->location}) {
        ASSERT_TRUE(text);
        EXPECT_EQ(wellFormedLength(*text), platform::shownTextLimit);
        EXPECT_TRUE(huge.starts_with(*text));
    }
}

// The module the program loads once its island shows, from the build: nothing of EDS before
// the load, then the store of the module on the program's queue, EDS already running.
TEST_F(EdsCalendarStoreTest, TheBuiltModuleLoadsTheStoreAndPassesItsChangesOn) {
    platform::ModuleCalendarStore store(QUORLIX_CALENDAR_MODULE);
    CalendarService calendar(&store, nullptr);
    calendar.start();
    EXPECT_EQ(store.authorizationStatus(), platform::CalendarAuthorization::notDetermined);
    EXPECT_EQ(calendar.access.get(), CalendarService::Access::unknown);

    store.loadInBackground();
    ASSERT_TRUE(waitUntil([&] {
        return calendar.access.get() == CalendarService::Access::granted && calendar.events.get().size() == 4;
    }));
    EXPECT_EQ(calendar.events.get()[0].title, "Reunión");
    std::optional<bool> granted;
    store.requestFullAccess([&](bool answer) { granted = answer; });
    ASSERT_TRUE(waitUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
}

}  // namespace
}  // namespace quorlix::testing
