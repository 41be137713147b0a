#include "platform/linux/pulse_audio_hardware.h"

#include "platform/capped_text.h"
#include "platform/listener_table.h"

#include <glib.h>
#include <pulse/ext-stream-restore.h>
#include <pulse/glib-mainloop.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <memory>

namespace quorlix::platform {

namespace {

// Pulse numbers sinks and sources from 0 in two separate ranges, while 0 means "no device"
// here: sinks become index + 1, sources the same with the top bit set.
constexpr AudioDeviceID sourceBit = 0x80000000u;
constexpr std::uint32_t highestIndex = sourceBit - 2;

// Where module-stream-restore keeps the device of event sounds (the "System Sounds" stream).
constexpr const char* eventSoundsEntry = "sink-input-by-media-role:event";

constexpr double reconnectSeconds = 3.0;

// Owning holders, each giving its object back the way PulseAudio asks.
struct MainloopFree {
    void operator()(pa_glib_mainloop* loop) const { pa_glib_mainloop_free(loop); }
};
// A context stops calling back and disconnects before its reference goes; disconnecting
// cancels its operations, so their callbacks never come.
struct ContextRelease {
    void operator()(pa_context* context) const {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
struct OperationUnref {
    void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};
using Mainloop = std::unique_ptr<pa_glib_mainloop, MainloopFree>;
using Context = std::unique_ptr<pa_context, ContextRelease>;
// An operation left to run on its own once its holder goes.
using Operation = std::unique_ptr<pa_operation, OperationUnref>;

std::optional<AudioDeviceID> sinkID(std::uint32_t index) {
    if (index > highestIndex) return std::nullopt;
    return index + 1;
}

std::optional<AudioDeviceID> sourceID(std::uint32_t index) {
    if (index > highestIndex) return std::nullopt;
    return (index + 1) | sourceBit;
}

bool isSource(AudioDeviceID id) { return (id & sourceBit) != 0; }
std::uint32_t pulseIndex(AudioDeviceID id) { return (id & ~sourceBit) - 1; }

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); });
    return text;
}

constexpr std::uint32_t code(const char (&c)[5]) {
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

std::string property(const pa_proplist* list, const char* key) {
    const char* value = list ? pa_proplist_gets(list, key) : nullptr;
    return value ? value : "";
}

template <class Info>
PulseDeviceTraits traitsOf(const Info& info) {
    PulseDeviceTraits traits;
    traits.name = info.name ? info.name : "";
    traits.bus = property(info.proplist, PA_PROP_DEVICE_BUS);
    traits.api = property(info.proplist, PA_PROP_DEVICE_API);
    traits.formFactor = property(info.proplist, PA_PROP_DEVICE_FORM_FACTOR);
    traits.profile = property(info.proplist, PA_PROP_DEVICE_PROFILE_NAME);
    if (info.active_port) {
        traits.port = info.active_port->name ? info.active_port->name : "";
        traits.portDescription = info.active_port->description ? info.active_port->description : "";
    }
    return traits;
}

// What the device is called on screen: its description, else its name (capped: a network
// sink's is whatever its server announces).
template <class Info>
std::string displayName(const Info& info) {
    if (info.description && *info.description) return cappedText(info.description);
    return cappedText(info.name ? info.name : "");
}

}  // namespace

std::uint32_t transportFor(const PulseDeviceTraits& traits) {
    const auto has = [](const std::string& text, const char* word) {
        return lowercased(text).find(word) != std::string::npos;
    };
    if (traits.bus == "bluetooth" || traits.api.starts_with("bluez")) return code("blue");
    if (traits.api == "raop" || traits.name.starts_with("raop")) return code("airp");
    // A port offered as "HDMI / DisplayPort" is taken for HDMI, the commoner of the two.
    for (const auto* text : {&traits.port, &traits.portDescription, &traits.profile}) {
        if (has(*text, "hdmi")) return code("hdmi");
    }
    for (const auto* text : {&traits.port, &traits.portDescription, &traits.profile}) {
        if (has(*text, "displayport") || has(*text, "dp-output")) return code("dprt");
    }
    if (traits.bus == "usb") return code("usb ");
    if (traits.formFactor == "internal" || traits.bus == "pci" || traits.bus == "platform")
        return code("bltn");
    return 0;
}

struct PulseAudioHardware::State {
    // What sinks and sources alike are known by.
    struct Endpoint {
        std::string name;
        std::string description;
        std::uint32_t transport = 0;
    };
    struct Sink : Endpoint {
        pa_cvolume volume{};
        bool muted = false;
        bool running = false;
        float level() const {
            if (!pa_cvolume_valid(&volume)) return 0;
            // Above 1 when the user raised it past the device's full volume.
            return float(pa_cvolume_max(&volume)) / float(PA_VOLUME_NORM);
        }
    };
    struct Source : Endpoint {
        bool monitor = false;
        bool running = false;
    };
    // One write of the event sounds' device, waiting for the entry it must keep the volume of.
    struct RestoreWrite {
        State* state;
        std::string device;
        bool found = false;
        pa_channel_map map{};
        pa_cvolume volume{};
        int mute = 0;
    };

    Mainloop loop{pa_glib_mainloop_new(nullptr)};
    Context context;
    // Connected and the first lists are in.
    bool ready = false;
    // The first connection attempt has ended, one way or the other.
    bool settled = false;
    int pendingLists = 0;
    guint reconnectTimer = 0;

    std::map<std::uint32_t, Sink> sinks;      // by pulse index
    std::map<std::uint32_t, Source> sources;  // by pulse index
    std::string defaultSink;
    std::string defaultSource;
    // The default devices as listeners last heard of them.
    std::optional<AudioDeviceID> announcedOutput;
    std::optional<AudioDeviceID> announcedInput;
    std::list<RestoreWrite> restoreWrites;

    ListenerTable<std::pair<AudioDeviceID, AudioProperty>> listeners;

    ~State() {
        if (reconnectTimer) g_source_remove(reconnectTimer);
        dropContext();
    }

    const Sink* sink(AudioDeviceID id) const {
        if (!ready || id == 0 || isSource(id)) return nullptr;
        const auto it = sinks.find(pulseIndex(id));
        return it == sinks.end() ? nullptr : &it->second;
    }

    const Source* source(AudioDeviceID id) const {
        if (!ready || !isSource(id)) return nullptr;
        const auto it = sources.find(pulseIndex(id));
        return it == sources.end() ? nullptr : &it->second;
    }

    std::optional<AudioDeviceID> defaultOutput() const {
        if (!ready) return std::nullopt;
        if (defaultSink.empty()) return 0;
        for (const auto& [index, s] : sinks)
            if (s.name == defaultSink) return sinkID(index);
        // The server names a sink whose details have not arrived yet.
        return std::nullopt;
    }

    std::optional<AudioDeviceID> defaultInput() const {
        if (!ready) return std::nullopt;
        if (defaultSource.empty()) return 0;
        for (const auto& [index, s] : sources)
            if (s.name == defaultSource) return s.monitor ? 0 : sourceID(index);
        return std::nullopt;
    }

    void emit(AudioDeviceID device, AudioProperty property) { listeners.notify({device, property}); }

    void announceDefaults() {
        const auto output = defaultOutput();
        const auto input = defaultInput();
        const bool outputChanged = output != announcedOutput;
        const bool inputChanged = input != announcedInput;
        announcedOutput = output;
        announcedInput = input;
        if (outputChanged) emit(0, AudioProperty::defaultOutput);
        if (inputChanged) emit(0, AudioProperty::defaultInput);
    }

    // Connection ---------------------------------------------------------------------------

    void connect() {
        context.reset(pa_context_new(pa_glib_mainloop_get_api(loop.get()), "Quorlix"));
        if (!context) {
            lost();
            return;
        }
        pa_context_set_state_callback(context.get(), &State::onState, this);
        pa_context_set_subscribe_callback(context.get(), &State::onEvent, this);
        if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) lost();
    }

    void dropContext() {
        if (!context) return;
        context.reset();
        // Disconnecting cancelled their operations, so their callbacks will never come.
        restoreWrites.clear();
    }

    // The server is gone or was never there: forget its state, tell the listeners, try again.
    void lost() {
        ready = false;
        settled = true;
        pendingLists = 0;
        sinks.clear();
        sources.clear();
        defaultSink.clear();
        defaultSource.clear();
        announceDefaults();
        if (!reconnectTimer) {
            reconnectTimer = g_timeout_add(guint(reconnectSeconds * 1000), &State::onReconnect, this);
        }
    }

    static gboolean onReconnect(gpointer data) {
        auto* self = static_cast<State*>(data);
        self->reconnectTimer = 0;
        self->dropContext();
        self->connect();
        return G_SOURCE_REMOVE;
    }

    static void onState(pa_context* context, void* data) {
        auto* self = static_cast<State*>(data);
        switch (pa_context_get_state(context)) {
            case PA_CONTEXT_READY: self->synchronise(); break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED: self->lost(); break;
            default: break;
        }
    }

    void synchronise() {
        // Subscribing first, so that no change between the lists and the subscription is lost.
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                 PA_SUBSCRIPTION_MASK_SERVER);
        release(pa_context_subscribe(context.get(), mask, nullptr, nullptr));
        pendingLists = 3;
        release(pa_context_get_server_info(context.get(), &State::onFirstServerInfo, this));
        release(pa_context_get_sink_info_list(context.get(), &State::onList<pa_sink_info>, this));
        release(pa_context_get_source_info_list(context.get(), &State::onList<pa_source_info>, this));
    }

    void listArrived() {
        if (pendingLists == 0 || --pendingLists > 0) return;
        ready = true;
        settled = true;
        announceDefaults();
    }

    // Leaves an operation to run on its own.
    static void release(pa_operation* operation) { const Operation dropped(operation); }

    // Server events -----------------------------------------------------------------------

    static void onEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                        void* data) {
        auto* self = static_cast<State*>(data);
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
        switch (facility) {
            case PA_SUBSCRIPTION_EVENT_SINK:
                if (removed) {
                    self->sinks.erase(index);
                    self->announceDefaults();
                } else {
                    release(pa_context_get_sink_info_by_index(context, index, &State::onInfo<pa_sink_info>,
                                                              self));
                }
                break;
            case PA_SUBSCRIPTION_EVENT_SOURCE:
                if (removed) {
                    self->sources.erase(index);
                    self->announceDefaults();
                } else {
                    release(pa_context_get_source_info_by_index(context, index,
                                                                &State::onInfo<pa_source_info>, self));
                }
                break;
            case PA_SUBSCRIPTION_EVENT_SERVER:
                release(pa_context_get_server_info(context, &State::onServerInfo, self));
                break;
            default: break;
        }
    }

    static void onFirstServerInfo(pa_context*, const pa_server_info* info, void* data) {
        auto* self = static_cast<State*>(data);
        self->takeDefaults(info);
        self->listArrived();
    }

    static void onServerInfo(pa_context*, const pa_server_info* info, void* data) {
        auto* self = static_cast<State*>(data);
        self->takeDefaults(info);
        if (self->ready) self->announceDefaults();
    }

    void takeDefaults(const pa_server_info* info) {
        if (!info) return;
        defaultSink = info->default_sink_name ? info->default_sink_name : "";
        defaultSource = info->default_source_name ? info->default_source_name : "";
    }

    // A sink's or source's entry of the whole list; the end of the list counts it arrived.
    template <class Info>
    static void onList(pa_context*, const Info* info, int eol, void* data) {
        auto* self = static_cast<State*>(data);
        if (eol != 0) {
            self->listArrived();
            return;
        }
        self->update(*info);
    }

    // The one sink or source asked for after a change.
    template <class Info>
    static void onInfo(pa_context*, const Info* info, int eol, void* data) {
        if (eol == 0) static_cast<State*>(data)->update(*info);
    }

    template <class Info>
    static void describe(Endpoint& endpoint, const Info& info) {
        endpoint.name = info.name ? info.name : "";
        endpoint.description = displayName(info);
        endpoint.transport = transportFor(traitsOf(info));
    }

    void update(const pa_sink_info& info) {
        const auto id = sinkID(info.index);
        if (!id) return;
        Sink next;
        describe(next, info);
        next.volume = info.volume;
        next.muted = info.mute != 0;
        next.running = info.state == PA_SINK_RUNNING;

        const auto old = sinks.find(info.index);
        const bool known = old != sinks.end() && ready;
        const bool levelChanged = known && old->second.level() != next.level();
        const bool muteChanged = known && old->second.muted != next.muted;
        const bool runningChanged = known && old->second.running != next.running;
        sinks[info.index] = std::move(next);
        // Listeners read the mirror, so it is brought up to date before any of them runs.
        if (levelChanged) emit(*id, AudioProperty::volume);
        if (muteChanged) emit(*id, AudioProperty::mute);
        if (runningChanged) emit(*id, AudioProperty::running);
        if (ready) announceDefaults();
    }

    void update(const pa_source_info& info) {
        const auto id = sourceID(info.index);
        if (!id) return;
        Source next;
        describe(next, info);
        next.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
        next.running = info.state == PA_SOURCE_RUNNING;

        const auto old = sources.find(info.index);
        const bool runningChanged = old != sources.end() && ready && old->second.running != next.running;
        sources[info.index] = std::move(next);
        if (runningChanged) emit(*id, AudioProperty::running);
        if (ready) announceDefaults();
    }

    // Event sounds ------------------------------------------------------------------------

    bool writeEventSoundsDevice(const std::string& device) {
        auto& write = restoreWrites.emplace_back();
        write.state = this;
        write.device = device;
        pa_channel_map_init(&write.map);
        pa_cvolume_init(&write.volume);
        // The entry is read first, so that the volume the user gave system sounds survives.
        const Operation operation(pa_ext_stream_restore_read(context.get(), &State::onRestoreEntry, &write));
        if (!operation) {
            restoreWrites.pop_back();
            return false;
        }
        return true;
    }

    static void onRestoreEntry(pa_context* context, const pa_ext_stream_restore_info* info, int eol,
                               void* data) {
        auto* write = static_cast<RestoreWrite*>(data);
        if (eol == 0) {
            if (info && info->name && std::string_view(info->name) == eventSoundsEntry) {
                write->found = true;
                write->map = info->channel_map;
                write->volume = info->volume;
                write->mute = info->mute;
            }
            return;
        }
        if (eol > 0) {
            pa_ext_stream_restore_info entry{};
            entry.name = eventSoundsEntry;
            entry.channel_map = write->map;
            entry.volume = write->volume;
            entry.device = write->device.c_str();
            entry.mute = write->mute;
            release(pa_ext_stream_restore_write(context, PA_UPDATE_REPLACE, &entry, 1, 1, nullptr, nullptr));
        }
        // Without the stream-restore module (eol < 0) there is no separate system-sound device.
        auto& pending = write->state->restoreWrites;
        pending.remove_if([write](const RestoreWrite& w) { return &w == write; });
    }
};

PulseAudioHardware::PulseAudioHardware(double startTimeout)
    : state_(std::make_unique<State>()), startTimeout_(startTimeout) {}

PulseAudioHardware::State& PulseAudioHardware::state() const {
    if (started_) return *state_;
    started_ = true;
    state_->connect();
    // The first state is awaited on the loop the events will come through later.
    bool timedOut = false;
    const guint timer = g_timeout_add(
        guint(std::max(startTimeout_, 0.0) * 1000),
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut);
    while (!state_->settled && !timedOut) g_main_context_iteration(nullptr, TRUE);
    if (!timedOut) g_source_remove(timer);
    state_->settled = true;
    return *state_;
}

PulseAudioHardware::~PulseAudioHardware() = default;

bool PulseAudioHardware::isReady() const { return state().ready; }

std::optional<AudioDeviceID> PulseAudioHardware::defaultOutputDevice() const {
    return state().defaultOutput();
}

std::optional<AudioDeviceID> PulseAudioHardware::defaultInputDevice() const { return state().defaultInput(); }

std::optional<std::vector<AudioDeviceID>> PulseAudioHardware::devices() const {
    if (!state().ready) return std::nullopt;
    std::vector<AudioDeviceID> ids;
    for (const auto& entry : state().sinks)
        if (const auto id = sinkID(entry.first)) ids.push_back(*id);
    for (const auto& entry : state().sources)
        if (const auto id = sourceID(entry.first)) ids.push_back(*id);
    return ids;
}

std::optional<std::size_t> PulseAudioHardware::outputStreamCount(AudioDeviceID device) const {
    if (state().sink(device)) return 1;
    if (state().source(device)) return 0;
    return std::nullopt;
}

std::optional<std::string> PulseAudioHardware::name(AudioDeviceID device) const {
    if (const auto* s = state().sink(device)) return s->description;
    if (const auto* s = state().source(device)) return s->description;
    return std::nullopt;
}

std::optional<std::uint32_t> PulseAudioHardware::transport(AudioDeviceID device) const {
    if (const auto* s = state().sink(device)) return s->transport;
    if (const auto* s = state().source(device)) return s->transport;
    return std::nullopt;
}

std::optional<float> PulseAudioHardware::volume(AudioDeviceID device) const {
    const auto* s = state().sink(device);
    if (!s || !pa_cvolume_valid(&s->volume)) return std::nullopt;
    return s->level();
}

bool PulseAudioHardware::hasMute(AudioDeviceID device) const { return state().sink(device) != nullptr; }

std::optional<bool> PulseAudioHardware::isMuted(AudioDeviceID device) const {
    if (const auto* s = state().sink(device)) return s->muted;
    return std::nullopt;
}

std::optional<bool> PulseAudioHardware::isRunningSomewhere(AudioDeviceID device) const {
    if (const auto* s = state().sink(device)) return s->running;
    if (const auto* s = state().source(device)) return s->running;
    return std::nullopt;
}

bool PulseAudioHardware::setVolume(AudioDeviceID device, float value) {
    const auto* s = state().sink(device);
    if (!s || !pa_cvolume_valid(&s->volume) || std::isnan(value)) return false;
    // Scaling every channel by the same factor keeps the balance between them.
    pa_cvolume volume = s->volume;
    const auto target = pa_volume_t(std::lround(double(std::clamp(value, 0.0f, 1.0f)) * PA_VOLUME_NORM));
    pa_cvolume_scale(&volume, target);
    const Operation operation(pa_context_set_sink_volume_by_index(state().context.get(), pulseIndex(device),
                                                                  &volume, nullptr, nullptr));
    return operation != nullptr;
}

bool PulseAudioHardware::setMuted(AudioDeviceID device, bool muted) {
    if (!state().sink(device)) return false;
    const Operation operation(pa_context_set_sink_mute_by_index(state().context.get(), pulseIndex(device),
                                                                muted, nullptr, nullptr));
    return operation != nullptr;
}

bool PulseAudioHardware::setDefaultOutputDevice(AudioDeviceID device) {
    const auto* s = state().sink(device);
    if (!s) return false;
    const Operation operation(
        pa_context_set_default_sink(state().context.get(), s->name.c_str(), nullptr, nullptr));
    return operation != nullptr;
}

bool PulseAudioHardware::setDefaultSystemOutputDevice(AudioDeviceID device) {
    const auto* s = state().sink(device);
    if (!s) return false;
    return state().writeEventSoundsDevice(s->name);
}

Subscription PulseAudioHardware::listen(AudioProperty property, std::function<void()> changed) {
    return listen(0, property, std::move(changed));
}

Subscription PulseAudioHardware::listen(AudioDeviceID device, AudioProperty property,
                                        std::function<void()> changed) {
    // Device properties need a device this server has; the system's need none.
    if (device != 0 && !state().sink(device) && !state().source(device)) return {};
    return state().listeners.add({device, property}, std::move(changed));
}

}  // namespace quorlix::platform
