#include "platform/linux/module_calendar_store.h"

#include "platform/key_log.h"
#include "platform/linux/calendar_application.h"
#include "platform/linux/calendar_module.h"
#include "platform/main_queue.h"
#include "platform/paths.h"

#include <dlfcn.h>

#include <utility>

namespace quorlix::platform {

std::filesystem::path ModuleCalendarStore::besideExecutable() {
    return Paths::executable().parent_path() / calendar_module::fileName;
}

ModuleCalendarStore::ModuleCalendarStore(std::filesystem::path module) : module_(std::move(module)) {}

ModuleCalendarStore::~ModuleCalendarStore() = default;

ModuleCalendarStore::Opened ModuleCalendarStore::open(const std::filesystem::path& module) {
    // Never closed: the store and the GLib types EDS's libraries register live until exit.
    if (void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL)) return {handle, {}};
    const char* reason = dlerror();
    return {nullptr, reason ? reason : "no se pudo abrir"};
}

void ModuleCalendarStore::loadInBackground() {
    if (loaded_ || opening_.valid()) return;
    opening_ = std::async(std::launch::async, [this, module = module_, alive = std::weak_ptr<bool>(alive_)] {
        Opened opened = open(module);
        MainQueue::shared().post([this, alive] {
            if (alive.lock()) load();
        });
        return opened;
    });
}

void ModuleCalendarStore::load() const {
    if (loaded_) return;
    finish(opening_.valid() ? opening_.get() : open(module_));
}

void ModuleCalendarStore::finish(const Opened& opened) const {
    loaded_ = true;
    auto* self = const_cast<ModuleCalendarStore*>(this);
    auto* make = opened.handle ? reinterpret_cast<calendar_module::EntryPoint>(
                                     dlsym(opened.handle, calendar_module::entryPointName))
                               : nullptr;
    if (!make) {
        KeyLog::write("Calendarios: no se pudo cargar " + module_.string() + ": " +
                      (opened.handle ? "le falta su punto de entrada" : opened.error) +
                      "; los calendarios quedan sin acceso");
        // The permission is no longer undecided: it is denied.
        self->changed.emit();
        return;
    }
    store_.reset(make(&MainQueue::shared(), [](const char* line) { KeyLog::write(line); }));
    storeChanges_ = store_->changed.connect([self] { self->changed.emit(); });
}

CalendarAuthorization ModuleCalendarStore::authorizationStatus() const {
    if (store_) return store_->authorizationStatus();
    return loaded_ ? CalendarAuthorization::denied : CalendarAuthorization::notDetermined;
}

void ModuleCalendarStore::requestFullAccess(std::function<void(bool granted)> done) {
    load();
    if (store_) return store_->requestFullAccess(std::move(done));
    MainQueue::shared().post([done = std::move(done)] { done(false); });
}

std::vector<CalendarEvent> ModuleCalendarStore::events(Date start, Date end) const {
    load();
    return store_ ? store_->events(start, end) : std::vector<CalendarEvent>();
}

std::optional<std::string> ModuleCalendarStore::calendarApplication() const {
    return installedCalendarApplication();
}

}  // namespace quorlix::platform
