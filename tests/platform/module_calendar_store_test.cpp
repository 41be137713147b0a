// The calendar store the program hands out when its module cannot be loaded: the program goes
// on, the log says why, and the calendars are out of reach rather than undecided forever. (The
// module itself is loaded against a running EDS in eds_calendar_test.cpp.)

#include "platform/linux/module_calendar_store.h"
#include "fakes/fake_platform.h"
#include "fakes/wait_for.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "services/calendar_service.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorlix {
namespace {

using platform::CalendarAuthorization;

TEST(ModuleCalendarStore, AMissingOrBrokenModuleIsLoggedAndTheCalendarsAreDenied) {
    enum class Load { now, inBackground, inBackgroundThenAsked, byTheFirstRequest };
    struct Case {
        const char* what;
        std::filesystem::path module;
        Load load;
    };
    const Case cases[] = {
        {"no file", "/nonexistent/quorlix-calendar.so", Load::now},
        {"no file, opened on its thread", "/nonexistent/quorlix-calendar.so", Load::inBackground},
        {"no file, asked while opening", "/nonexistent/quorlix-calendar.so", Load::inBackgroundThenAsked},
        {"no file, asked first", "/nonexistent/quorlix-calendar.so", Load::byTheFirstRequest},
        // A shared object that loads but has no entry point.
        {"no entry point", "libz.so.1", Load::inBackground},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakePlatform fake;
        platform::ModuleCalendarStore store(c.module);
        int changes = 0;
        const Subscription watch = store.changed.connect([&] { ++changes; });
        CalendarService calendar(&store, nullptr);
        calendar.start();
        EXPECT_EQ(store.authorizationStatus(), CalendarAuthorization::notDetermined);
        EXPECT_EQ(calendar.access.get(), CalendarService::Access::unknown);
        EXPECT_FALSE(store.isLoaded());

        if (c.load == Load::now) store.load();
        if (c.load == Load::inBackground || c.load == Load::inBackgroundThenAsked) store.loadInBackground();
        // The opening's thread hands the rest to the main queue; a request does not wait for it.
        if (c.load == Load::inBackground) {
            ASSERT_TRUE(testing::waitFor([&] { return store.isLoaded(); }, {},
                                         [&] {
                                             testing::shortPause();
                                             fake.time.advance(0);
                                         }));
        }
        std::optional<bool> granted;
        store.requestFullAccess([&](bool answer) { granted = answer; });
        fake.time.advance(0);

        EXPECT_TRUE(store.isLoaded());
        EXPECT_EQ(granted, false);
        EXPECT_EQ(store.authorizationStatus(), CalendarAuthorization::denied);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(calendar.access.get(), CalendarService::Access::denied);
        EXPECT_TRUE(store.events(Date(0), Date(1e10)).empty());
        const std::string log = platform::readFile(KeyLog::path()).value_or("");
        EXPECT_NE(log.find("Calendarios: no se pudo cargar " + c.module.string()), std::string::npos) << log;
        // Loaded once: a later load neither logs nor tells again.
        store.load();
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(platform::readFile(KeyLog::path()).value_or(""), log);
    }
}

}  // namespace
}  // namespace quorlix
