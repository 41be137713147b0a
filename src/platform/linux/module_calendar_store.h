#pragma once
// The calendar store the program hands out: the calendar module's (calendar_module.h). Once
// the island shows, the module is opened on a thread of its own (opening it relocates about
// twenty libraries: tens of milliseconds the main thread does not wait for) and its store is
// made on the main thread; a question about access or events before then loads it at once,
// waiting for an opening under way.
//
// Until then the permission is undecided; afterwards every question goes to the module's store
// and every change of it is passed on. A module that is missing or cannot be loaded is written
// to the log, and the calendars then stay out of reach: the permission is denied (a change
// tells so) and requests for access are refused.
//
// Main thread only.

#include "platform/calendar_store.h"
#include "platform/published.h"

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

class ModuleCalendarStore final : public CalendarStore {
public:
    // The module beside the running executable, whatever the current folder.
    static std::filesystem::path besideExecutable();

    explicit ModuleCalendarStore(std::filesystem::path module = besideExecutable());
    ~ModuleCalendarStore() override;

    // Opens the module on a thread of its own; its store is made on the main thread once it
    // has opened. Does nothing once loaded or opening.
    void loadInBackground();
    // Loads the module and makes its store now, once; later calls do nothing.
    void load() const;
    // True once the module has been loaded, or has failed to load.
    bool isLoaded() const { return loaded_; }

    CalendarAuthorization authorizationStatus() const override;
    void requestFullAccess(std::function<void(bool granted)> done) override;
    std::vector<CalendarEvent> events(Date start, Date end) const override;
    std::optional<std::string> calendarApplication() const override;

private:
    // The module's handle, or why it could not be opened.
    struct Opened {
        void* handle = nullptr;
        std::string error;
    };
    static Opened open(const std::filesystem::path& module);
    void finish(const Opened& opened) const;

    std::filesystem::path module_;
    // Loaded on first use, by a question as well.
    mutable bool loaded_ = false;
    // None after a load that failed.
    mutable std::unique_ptr<CalendarStore> store_;
    mutable Subscription storeChanges_;
    // The opening on its thread; waited for when destroyed.
    mutable std::future<Opened> opening_;
    // Gone with the store, so the opening's news finds nothing to finish.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorlix::platform
