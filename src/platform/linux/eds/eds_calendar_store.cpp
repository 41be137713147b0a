#include "platform/linux/eds/eds_calendar_store.h"

#include "platform/capped_text.h"
#include "platform/linux/calendar_application.h"
#include "platform/main_queue.h"
#include "platform/url_query.h"
#include "platform/work_item.h"

#include <libecal/libecal.h>
#include <libedataserver/libedataserver.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace quorlix::platform {

namespace {

// How long a calendar's backend may take to come online when its client first connects. A
// calendar connecting again (after a failure, or after its backend died) does not wait: its
// view fills as the backend comes online anyway.
constexpr guint32 connectSeconds = 30;
constexpr guint32 noWait = static_cast<guint32>(-1);
// A failed connection is tried again after this long, twice as long after each failure, up
// to the longest wait.
constexpr double firstRetrySeconds = 15;
constexpr double longestRetrySeconds = 600;
// A view reaches this far before the start asked for, so the start moving with the clock
// leaves it in place until the end moves (at midnight).
constexpr double spanLead = 86400;

// A GObject reference, dropped with the holder.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* object) : object_(object) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() {
        if (object_) g_object_unref(object_);
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

std::string text(const gchar* value) { return value ? value : ""; }

// "#rrggbb" (or "#rgb") as a colour; nothing for anything else.
std::optional<CalendarColor> parseColor(const std::string& text) {
    if ((text.size() != 7 && text.size() != 4) || text.front() != '#') return std::nullopt;
    const bool shortForm = text.size() == 4;
    double channels[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const int high = hexValue(text[shortForm ? 1 + i : 1 + 2 * i]);
        const int low = hexValue(text[shortForm ? 1 + i : 2 + 2 * i]);
        if (high < 0 || low < 0) return std::nullopt;
        channels[i] = (high * 16 + low) / 255.0;
    }
    return CalendarColor{channels[0], channels[1], channels[2]};
}

// The TZID of a component's date-time property, or empty.
std::string tzidOf(ICalComponent* component, ICalPropertyKind kind) {
    Ref<ICalProperty> property(i_cal_component_get_first_property(component, kind));
    if (!property) return {};
    Ref<ICalParameter> parameter(i_cal_property_get_first_parameter(property.get(), I_CAL_TZID_PARAMETER));
    return parameter ? text(i_cal_parameter_get_tzid(parameter.get())) : std::string();
}

}  // namespace

struct EdsCalendarStore::Impl : std::enable_shared_from_this<Impl> {
    struct Span {
        Date start;
        Date end;
    };

    // The events of one calendar in one span, as its view reports them: by UID and
    // recurrence id (empty for a whole event or a series).
    struct View {
        Impl* store = nullptr;
        Span span;
        Ref<ECalClientView> view;
        std::map<std::pair<std::string, std::string>, Ref<ICalComponent>> objects;

        ~View() {
            if (!view) return;
            g_signal_handlers_disconnect_by_data(view.get(), this);
            e_cal_client_view_stop(view.get(), nullptr);
        }
    };

    struct Calendar : std::enable_shared_from_this<Calendar> {
        Impl* store = nullptr;
        Ref<ESource> source;
        // The client, kept after its backend died until a new one has connected.
        Ref<ECalClient> client;
        // What `events` answers from, and the view of a new span until it has loaded.
        std::shared_ptr<View> current;
        std::shared_ptr<View> next;
        bool connecting = false;
        // The next connection after a failed one.
        WorkItem retry;
        double retrySeconds = firstRetrySeconds;

        ~Calendar() {
            if (client) g_signal_handlers_disconnect_by_data(client.get(), this);
        }
    };

    // Whether the registry is on the bus (or was started there), as far as is known.
    enum class Presence { unknown, present, absent };

    enum class Zone { pending, failed };

    EdsCalendarStore* owner;
    MainQueue& queue;
    EdsCalendarStore::Log log;
    Ref<GCancellable> cancellable{g_cancellable_new()};
    Ref<GDBusConnection> bus;
    guint watch = 0;
    Presence presence = Presence::unknown;
    // Access requests waiting for the first word on the registry.
    std::vector<std::function<void(bool)>> waiting;
    // Follows the registry's restarts on its own: its sources outlive them.
    Ref<ESourceRegistry> registry;
    bool connecting = false;
    WorkItem registryRetry;
    double registryRetrySeconds = firstRetrySeconds;
    std::map<std::string, std::shared_ptr<Calendar>> calendars;  // by source uid
    std::optional<Span> span;
    // Time zones asked of a calendar's server, by calendar and TZID.
    std::map<std::pair<std::string, std::string>, Zone> zones;
    WorkItem pendingChange;

    Impl(EdsCalendarStore* owner, MainQueue& queue, EdsCalendarStore::Log log)
        : owner(owner), queue(queue), log(std::move(log)) {}

    ~Impl() {
        g_cancellable_cancel(cancellable.get());
        // No callback of the watch comes after this.
        if (watch) g_bus_unwatch_name(watch);
        if (registry) g_signal_handlers_disconnect_by_data(registry.get(), this);
    }

    // Callbacks of asynchronous calls carry a weak reference to what they report to, so one
    // arriving after it is gone does nothing.
    template <class T>
    struct Pending {
        std::weak_ptr<T> target;
    };
    template <class T>
    static gpointer pending(const std::shared_ptr<T>& target) {
        return new Pending<T>{target};
    }
    template <class T>
    static std::shared_ptr<T> arrived(gpointer data) {
        std::unique_ptr<Pending<T>> p(static_cast<Pending<T>*>(data));
        return p->target.lock();
    }

    // Writes down why a call failed, unless it was called off; frees the error.
    void logFailure(const std::string& what, GError*& error) {
        if (error && !g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
            log("Calendarios: " + what + ": " + error->message);
        g_clear_error(&error);
    }

    // Tells of a change once this turn of the main loop is over, however many come.
    void noteChange() {
        if (pendingChange) return;
        pendingChange = queue.async([this] { owner->changed.emit(); });
    }

    // Watches the registry's name on the session bus, starting it when it can be started.
    void start() {
        g_bus_get(G_BUS_TYPE_SESSION, cancellable.get(), &Impl::busReady, pending(shared_from_this()));
    }

    static void busReady(GObject*, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        Ref<GDBusConnection> bus(g_bus_get_finish(result, &error));
        const auto self = arrived<Impl>(data);
        if (!bus) {
            if (!self) return g_clear_error(&error);
            self->logFailure("no hay bus de sesión", error);
            self->answer(Presence::absent);
            return;
        }
        if (!self) return;
        // GIO's shared connection would end the process when the bus goes away.
        g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
        self->bus = std::move(bus);
        self->watch = g_bus_watch_name_on_connection(
            self->bus.get(), registryBusName, G_BUS_NAME_WATCHER_FLAGS_AUTO_START,
            +[](GDBusConnection*, const gchar*, const gchar*, gpointer impl) {
                static_cast<Impl*>(impl)->registryAppeared();
            },
            +[](GDBusConnection*, const gchar*, gpointer impl) {
                static_cast<Impl*>(impl)->answer(Presence::absent);
            },
            self.get(), nullptr);
    }

    // Requests for access wait for the first word on the registry; the store tells of a
    // change when the registry comes, so a service that found no access yet reads it again.
    void answer(Presence now) {
        const Presence before = std::exchange(presence, now);
        if (before == Presence::unknown) {
            for (auto& done : std::exchange(waiting, {}))
                queue.post([done, granted = now == Presence::present] { done(granted); });
        }
        if (before != Presence::present && now == Presence::present) noteChange();
    }

    // The registry came (at start, or back after it had gone): connect if not connected yet,
    // and try the calendars that could not connect at once.
    void registryAppeared() {
        answer(Presence::present);
        if (!registry) {
            registryRetrySeconds = firstRetrySeconds;
            connect();
        }
        for (const auto& [uid, calendar] : calendars) {
            if (!calendar->retry) continue;
            calendar->retrySeconds = firstRetrySeconds;
            connectClient(calendar, noWait);
        }
    }

    void connect() {
        if (connecting || registry) return;
        connecting = true;
        e_source_registry_new(cancellable.get(), &Impl::registryReady, pending(shared_from_this()));
    }

    static void registryReady(GObject*, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        Ref<ESourceRegistry> registry(e_source_registry_new_finish(result, &error));
        const auto self = arrived<Impl>(data);
        if (!self) {
            g_clear_error(&error);
            return;
        }
        self->connecting = false;
        if (!registry) {
            self->logFailure("no se pudo conectar con Evolution Data Server", error);
            // Held by the store: the wait ends with it.
            self->registryRetry =
                self->later(self->registryRetrySeconds, [store = self.get()] { store->connect(); });
            return;
        }
        self->registry = std::move(registry);
        for (const char* signal : {"source-added", "source-removed", "source-enabled", "source-disabled"})
            g_signal_connect_swapped(self->registry.get(), signal,
                                     G_CALLBACK(+[](Impl* impl) { impl->syncCalendars(); }), self.get());
        // A colour or a name changed.
        g_signal_connect_swapped(self->registry.get(), "source-changed",
                                 G_CALLBACK(+[](Impl* impl) { impl->noteChange(); }), self.get());
        self->syncCalendars();
    }

    // Runs `fn` after `seconds`, a wait that doubles with each use.
    WorkItem later(double& seconds, std::function<void()> fn) {
        const double wait = std::exchange(seconds, std::min(seconds * 2, longestRetrySeconds));
        return queue.after(wait, std::move(fn));
    }

    // One client per enabled calendar.
    void syncCalendars() {
        GList* enabled = e_source_registry_list_enabled(registry.get(), E_SOURCE_EXTENSION_CALENDAR);
        std::set<std::string> uids;
        for (GList* item = enabled; item; item = item->next) {
            ESource* source = E_SOURCE(item->data);
            const std::string uid = text(e_source_get_uid(source));
            uids.insert(uid);
            if (calendars.contains(uid)) continue;
            auto calendar = std::make_shared<Calendar>();
            calendar->store = this;
            calendar->source = Ref<ESource>(E_SOURCE(g_object_ref(source)));
            calendars[uid] = calendar;
            connectClient(calendar, connectSeconds);
        }
        g_list_free_full(enabled, g_object_unref);
        std::erase_if(calendars, [&](const auto& entry) { return !uids.contains(entry.first); });
        noteChange();
    }

    void connectClient(const std::shared_ptr<Calendar>& calendar, guint32 waitSeconds) {
        calendar->retry.cancel();
        if (calendar->connecting) return;
        calendar->connecting = true;
        e_cal_client_connect(calendar->source.get(), E_CAL_CLIENT_SOURCE_TYPE_EVENTS, waitSeconds,
                             cancellable.get(), &Impl::clientReady, pending(calendar));
    }

    static void clientReady(GObject*, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        Ref<EClient> client(e_cal_client_connect_finish(result, &error));
        // A calendar lives only while its store lists it.
        const auto calendar = arrived<Calendar>(data);
        if (!calendar) {
            g_clear_error(&error);
            return;
        }
        calendar->connecting = false;
        Impl* self = calendar->store;
        if (!client) {
            self->logFailure("no se pudo abrir un calendario", error);
            // Held by the calendar: the wait ends with it.
            calendar->retry = self->later(calendar->retrySeconds, [again = calendar.get()] {
                again->store->connectClient(again->shared_from_this(), noWait);
            });
            return;
        }
        calendar->retrySeconds = firstRetrySeconds;
        if (ICalTimezone* local = e_cal_util_get_system_timezone())
            e_cal_client_set_default_timezone(E_CAL_CLIENT(client.get()), local);
        if (calendar->client) g_signal_handlers_disconnect_by_data(calendar->client.get(), calendar.get());
        calendar->client = Ref<ECalClient>(E_CAL_CLIENT(g_object_ref(client.get())));
        // Its calendar factory ended (a crash, EDS restarting): the last events stay until a
        // new client's view has loaded.
        g_signal_connect(client.get(), "backend-died", G_CALLBACK(+[](EClient*, Calendar* died) {
                             died->store->log("Calendarios: un calendario dejó de responder");
                             died->store->connectClient(died->shared_from_this(), noWait);
                         }),
                         calendar.get());
        if (self->span) self->startView(calendar, *self->span);
    }

    void startView(const std::shared_ptr<Calendar>& calendar, Span s) {
        auto view = std::make_shared<View>();
        view->store = this;
        view->span = s;
        calendar->next = view;
        gchar* from = isodate_from_time_t(static_cast<time_t>(s.start.secondsSince1970));
        gchar* to = isodate_from_time_t(static_cast<time_t>(s.end.secondsSince1970));
        gchar* query =
            g_strdup_printf("(occur-in-time-range? (make-time \"%s\") (make-time \"%s\"))", from, to);
        e_cal_client_get_view(calendar->client.get(), query, cancellable.get(), &Impl::viewReady,
                              new std::pair<std::weak_ptr<Calendar>, std::weak_ptr<View>>(calendar, view));
        g_free(query);
        g_free(to);
        g_free(from);
    }

    static void viewReady(GObject* client, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::pair<std::weak_ptr<Calendar>, std::weak_ptr<View>>> targets(
            static_cast<std::pair<std::weak_ptr<Calendar>, std::weak_ptr<View>>*>(data));
        ECalClientView* made = nullptr;
        GError* error = nullptr;
        const bool ok = e_cal_client_get_view_finish(E_CAL_CLIENT(client), result, &made, &error);
        Ref<ECalClientView> view(made);
        const auto calendar = targets->first.lock();
        const auto shown = targets->second.lock();
        if (!ok) {
            if (calendar)
                calendar->store->logFailure("no se pudo leer un calendario", error);
            else
                g_clear_error(&error);
            return;
        }
        if (!calendar || !shown) return;
        shown->view = std::move(view);
        ECalClientView* v = shown->view.get();
        g_signal_connect(v, "objects-added", G_CALLBACK(&Impl::objectsAdded), shown.get());
        g_signal_connect(v, "objects-modified", G_CALLBACK(&Impl::objectsAdded), shown.get());
        g_signal_connect(v, "objects-removed", G_CALLBACK(&Impl::objectsRemoved), shown.get());
        // Once a new span's view has loaded it takes over from the old one.
        g_signal_connect(v, "complete", G_CALLBACK(+[](ECalClientView*, const GError*, View* view) {
                             view->store->viewLoaded(view);
                         }),
                         shown.get());
        e_cal_client_view_start(v, nullptr);
    }

    static void objectsAdded(ECalClientView*, const GSList* components, View* view) {
        for (const GSList* item = components; item; item = item->next) {
            ICalComponent* component = I_CAL_COMPONENT(item->data);
            gchar* rid = e_cal_util_component_get_recurid_as_string(component);
            view->objects[{text(i_cal_component_get_uid(component)), text(rid)}] =
                Ref<ICalComponent>(i_cal_component_clone(component));
            g_free(rid);
        }
        view->store->viewChanged(view);
    }

    static void objectsRemoved(ECalClientView*, const GSList* ids, View* view) {
        for (const GSList* item = ids; item; item = item->next) {
            const auto* id = static_cast<const ECalComponentId*>(item->data);
            view->objects.erase({text(e_cal_component_id_get_uid(id)), text(e_cal_component_id_get_rid(id))});
        }
        view->store->viewChanged(view);
    }

    void viewChanged(const View* view) {
        for (const auto& [uid, calendar] : calendars)
            if (calendar->current.get() == view) noteChange();
    }

    void viewLoaded(const View* view) {
        for (const auto& [uid, calendar] : calendars) {
            if (calendar->next.get() != view) continue;
            calendar->current = std::move(calendar->next);
            noteChange();
        }
    }

    // Moves every view to a span holding [start, end) when the last one does not.
    void cover(Date start, Date end) {
        if (span && span->start <= start && end <= span->end) return;
        span = Span{start.addingTimeInterval(-spanLead), end};
        for (const auto& [uid, calendar] : calendars)
            if (calendar->client) startView(calendar, *span);
    }

    // The zone of `tzid` as far as the calendar's client knows it now; nothing while it is
    // being fetched from the server. A zone the server cannot give either counts as local.
    std::optional<ICalTimezone*> zone(const std::string& calendarUid, ECalClient* client,
                                      const std::string& tzid) {
        if (tzid.empty()) return nullptr;
        if (ICalTimezone* known = e_timezone_cache_get_timezone(E_TIMEZONE_CACHE(client), tzid.c_str()))
            return known;
        const auto key = std::pair(calendarUid, tzid);
        if (const auto asked = zones.find(key); asked != zones.end())
            return asked->second == Zone::failed ? std::optional<ICalTimezone*>(nullptr) : std::nullopt;
        zones[key] = Zone::pending;
        struct Asked {
            std::weak_ptr<Impl> store;
            std::pair<std::string, std::string> key;
        };
        e_cal_client_get_timezone(
            client, tzid.c_str(), cancellable.get(),
            +[](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<Asked> asked(static_cast<Asked*>(data));
                ICalTimezone* found = nullptr;
                const bool ok =
                    e_cal_client_get_timezone_finish(E_CAL_CLIENT(source), result, &found, nullptr);
                const auto self = asked->store.lock();
                if (!self) return;
                if (ok && found)
                    self->zones.erase(asked->key);  // the client keeps it now
                else
                    self->zones[asked->key] = Zone::failed;
                self->noteChange();
            },
            new Asked{weak_from_this(), key});
        return std::nullopt;
    }

    std::vector<CalendarEvent> events(Date start, Date end);
    void expand(const std::string& calendarUid, Calendar& calendar, const View& view, Date start, Date end,
                std::vector<CalendarEvent>& out);
};

namespace {

ICalTimezone* utcZone() { return i_cal_timezone_get_utc_timezone(); }

// The instant of `time`: in UTC when it says so, else in its own zone, else in the zone of
// its property's TZID, else (a floating time or a date) in `local`.
Date instant(ICalTime* time, ICalTimezone* propertyZone, ICalTimezone* local) {
    if (i_cal_time_is_utc(time))
        return Date(static_cast<double>(i_cal_time_as_timet_with_zone(time, utcZone())));
    Ref<ICalTimezone> own(i_cal_time_get_timezone(time));
    ICalTimezone* zone = own ? own.get() : propertyZone ? propertyZone : local;
    return Date(static_cast<double>(i_cal_time_as_timet_with_zone(time, zone)));
}

Ref<ICalTime> icalTime(Date date) {
    return Ref<ICalTime>(
        i_cal_time_new_from_timet_with_zone(static_cast<time_t>(date.secondsSince1970), 0, utcZone()));
}

}  // namespace

std::vector<CalendarEvent> EdsCalendarStore::Impl::events(Date start, Date end) {
    cover(start, end);
    std::vector<CalendarEvent> out;
    for (const auto& [uid, calendar] : calendars)
        if (calendar->current && calendar->client)
            expand(uid, *calendar, *calendar->current, start, end, out);
    return out;
}

void EdsCalendarStore::Impl::expand(const std::string& calendarUid, Calendar& calendar, const View& view,
                                    Date start, Date end, std::vector<CalendarEvent>& out) {
    ECalClient* client = calendar.client.get();
    auto* selectable =
        E_SOURCE_SELECTABLE(e_source_get_extension(calendar.source.get(), E_SOURCE_EXTENSION_CALENDAR));
    gchar* colorSpec = e_source_selectable_dup_color(selectable);
    const std::optional<CalendarColor> color = parseColor(text(colorSpec));
    g_free(colorSpec);
    ICalTimezone* systemZone = e_cal_util_get_system_timezone();
    ICalTimezone* local = systemZone ? systemZone : utcZone();

    // The original starts of the occurrences detached from each series: the series skips
    // them, their own records stand in their place.
    std::map<std::string, std::set<double>> detached;
    for (const auto& [key, component] : view.objects) {
        if (key.second.empty()) continue;
        const auto zoneOfId = zone(calendarUid, client, tzidOf(component.get(), I_CAL_RECURRENCEID_PROPERTY));
        if (!zoneOfId) continue;
        Ref<ICalTime> id(i_cal_component_get_recurrenceid(component.get()));
        if (id) detached[key.first].insert(instant(id.get(), *zoneOfId, local).secondsSince1970);
    }

    struct Expansion {
        Impl* store;
        const std::string* calendarUid;
        ECalClient* client;
        ICalTimezone* local;
        ICalTimezone* startZone;
        ICalTimezone* endZone;
        const std::set<double>* skipped;
        Date start;
        Date end;
        CalendarEvent event;
        std::vector<CalendarEvent>* out;
    };
    const auto addInstance = +[](ICalComponent*, ICalTime* from, ICalTime* to, gpointer data, GCancellable*,
                                 GError**) -> gboolean {
        auto& x = *static_cast<Expansion*>(data);
        CalendarEvent event = x.event;
        event.start = instant(from, x.startZone, x.local);
        event.end = instant(to, x.endZone ? x.endZone : x.startZone, x.local);
        if (x.skipped && x.skipped->contains(event.start.secondsSince1970)) return TRUE;
        const bool overlaps = event.start < x.end && (x.start < event.end || x.start <= event.start);
        if (overlaps) x.out->push_back(std::move(event));
        return TRUE;
    };
    const auto resolve = +[](const gchar* tzid, gpointer data, GCancellable*, GError**) -> ICalTimezone* {
        auto& x = *static_cast<Expansion*>(data);
        return x.store->zone(*x.calendarUid, x.client, text(tzid)).value_or(nullptr);
    };

    const Ref<ICalTime> from = icalTime(start);
    const Ref<ICalTime> to = icalTime(end);
    for (const auto& [key, component] : view.objects) {
        ICalComponent* c = component.get();
        if (i_cal_component_isa(c) != I_CAL_VEVENT_COMPONENT) continue;
        const auto startZone = zone(calendarUid, client, tzidOf(c, I_CAL_DTSTART_PROPERTY));
        const auto endZone = zone(calendarUid, client, tzidOf(c, I_CAL_DTEND_PROPERTY));
        if (!startZone || !endZone) continue;  // its time zone is on its way
        Ref<ICalTime> dtstart(i_cal_component_get_dtstart(c));
        if (!dtstart) continue;
        const gchar* summary = i_cal_component_get_summary(c);
        const gchar* location = i_cal_component_get_location(c);
        const auto skipped = detached.find(key.first);
        Expansion x{this,
                    &calendarUid,
                    client,
                    local,
                    *startZone,
                    *endZone,
                    key.second.empty() && skipped != detached.end() ? &skipped->second : nullptr,
                    start,
                    end,
                    CalendarEvent{.identifier = calendarUid + "/" + key.first,
                                  .title = summary ? std::optional(cappedText(summary)) : std::nullopt,
                                  .isAllDay = i_cal_time_is_date(dtstart.get()) != 0,
                                  .color = color,
                                  .location = location ? std::optional(cappedText(location)) : std::nullopt},
                    &out};
        e_cal_recur_generate_instances_sync(c, from.get(), to.get(), addInstance, &x, resolve, &x, local,
                                            nullptr, nullptr);
    }
}

EdsCalendarStore::EdsCalendarStore(MainQueue& queue, Log log)
    : impl_(std::make_shared<Impl>(this, queue, std::move(log))) {
    impl_->start();
}

EdsCalendarStore::~EdsCalendarStore() = default;

CalendarAuthorization EdsCalendarStore::authorizationStatus() const {
    return impl_->presence == Impl::Presence::present ? CalendarAuthorization::fullAccess
                                                      : CalendarAuthorization::notDetermined;
}

void EdsCalendarStore::requestFullAccess(std::function<void(bool granted)> done) {
    if (impl_->presence == Impl::Presence::unknown) {
        impl_->waiting.push_back(std::move(done));
        return;
    }
    const bool granted = impl_->presence == Impl::Presence::present;
    impl_->queue.post([done = std::move(done), granted] { done(granted); });
}

std::vector<CalendarEvent> EdsCalendarStore::events(Date start, Date end) const {
    return impl_->events(start, end);
}

std::optional<std::string> EdsCalendarStore::calendarApplication() const {
    return installedCalendarApplication();
}

}  // namespace quorlix::platform
