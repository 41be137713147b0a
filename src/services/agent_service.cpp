#include "services/agent_service.h"

#include "platform/main_queue.h"
#include "platform/platform.h"
#include "services/url_parts.h"

#include <algorithm>
#include <cstdio>

namespace quorlix {

namespace {

constexpr double doneRepeatWindow = 5.0;
constexpr double inputRepeatWindow = 120.0;
constexpr double staleCheckInterval = 60.0;
constexpr double staleAfter = 900.0;

Date now() { return platform::Clock::shared().date(); }

}  // namespace

RGBA tint(AgentKind kind) {
    switch (kind) {
        case AgentKind::claude:
        case AgentKind::claudeWeb: return {0.85, 0.47, 0.34};
        case AgentKind::codex: return {0.68, 0.56, 1.0};
        case AgentKind::cursor: return {0.62, 0.75, 1.0};
        case AgentKind::gemini: return {0.42, 0.6, 1.0};
        case AgentKind::chatgpt: return {0.28, 0.8, 0.62};
        case AgentKind::other: return {1.0, 0.78, 0.3};
    }
    return {1.0, 0.78, 0.3};
}

std::string_view displayName(AgentKind kind) {
    switch (kind) {
        case AgentKind::claude:
        case AgentKind::claudeWeb: return "Claude";
        case AgentKind::codex: return "Codex";
        case AgentKind::cursor: return "Cursor";
        case AgentKind::gemini: return "Gemini";
        case AgentKind::chatgpt: return "ChatGPT";
        case AgentKind::other: return "Agente";
    }
    return "Agente";
}

AgentService::AgentService() : AgentService(platform::installed().agentNotifications) {}

AgentService::AgentService(platform::AgentNotifications* notifications) {
    refreshConnections();
    listenForAgents(notifications);
    upgradeOldHooks();
}

std::string AgentService::notificationName(AgentKind kind, std::string_view event) {
    std::string name = "com.halvik.quorlix.agent.";
    name += rawValue(kind);
    name += '.';
    name += event;
    return name;
}

void AgentService::listenForAgents(platform::AgentNotifications* notifications) {
    if (!notifications) return;
    for (const AgentKind kind : allCases<AgentKind>()) {
        for (const std::string_view event : events) {
            // The subscription ends with the service, so the handler never outlives it.
            auto token = notifications->observe(notificationName(kind, event),
                                                [this, kind, event] { apply(kind, event); });
            if (token) notifyTokens.push_back(std::move(*token));
        }
    }
}

void AgentService::handle(std::string_view url) {
    const auto parts = URLParts::parse(url);
    if (!parts || parts->scheme != "quorlix" || parts->host != "agent") return;
    if (!parts->queryItems) return;
    const AgentKind kind = fromRawValue<AgentKind>(parts->firstValue("agent")).value_or(AgentKind::other);
    apply(kind, parts->firstValue("event"));
}

void AgentService::setWorkingMap(std::map<AgentKind, Date> map) {
    if (map != working.get()) working = std::move(map);
}

void AgentService::apply(AgentKind kind, std::string_view event) {
    const Date date = now();
    auto map = working.get();
    if (event == "working") {
        map.try_emplace(kind, date);  // an agent already at work keeps its start
        setWorkingMap(std::move(map));
        lastActivity[kind] = date;
        askedAt.erase(kind);
        scheduleStaleCheck();
    } else if (event == "done") {
        askedAt.erase(kind);
        lastActivity.erase(kind);
        std::optional<Date> started;
        if (const auto it = map.find(kind); it != map.end()) {
            started = it->second;
            map.erase(it);
        }
        setWorkingMap(std::move(map));
        if (const auto it = doneAt.find(kind);
            it != doneAt.end() && date.timeIntervalSince(it->second) < doneRepeatWindow)
            return;
        doneAt[kind] = date;
        if (onDone)
            onDone(kind, started ? std::optional<double>(date.timeIntervalSince(*started)) : std::nullopt);
    } else if (event == "input") {
        if (const auto it = askedAt.find(kind);
            it != askedAt.end() && date.timeIntervalSince(it->second) < inputRepeatWindow)
            return;
        askedAt[kind] = date;
        if (onNeedsInput) onNeedsInput(kind);
    } else if (event == "idle" || event == "cancel") {
        map.erase(kind);
        setWorkingMap(std::move(map));
        lastActivity.erase(kind);
    }
}

void AgentService::setWorking(AgentKind kind, bool on, bool notify) {
    const Date date = now();
    auto map = working.get();
    if (on) {
        map.try_emplace(kind, date);
        setWorkingMap(std::move(map));
        return;
    }
    const auto it = map.find(kind);
    if (it == map.end()) return;
    const Date started = it->second;
    map.erase(it);
    setWorkingMap(std::move(map));
    if (notify && onDone) onDone(kind, date.timeIntervalSince(started));
}

std::optional<AgentService::Primary> AgentService::primary() const {
    std::optional<Primary> best;
    for (const auto& [kind, since] : working.get())
        if (!best || since < best->since) best = Primary{kind, since};
    return best;
}

std::string AgentService::format(double seconds) {
    // Elapsed times are finite; a clock set back could still make one negative.
    if (!(seconds > 0)) seconds = 0;
    const auto s = static_cast<long long>(std::min(seconds, 1e15));  // toward zero
    char text[40];
    if (s < 60) {
        std::snprintf(text, sizeof text, "%llds", s);
    } else if (s < 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
    }
    return text;
}

void AgentService::scheduleStaleCheck() {
    // Counting sleep too: an agent silent through the night is swept at wake.
    staleTask = platform::MainQueue::shared().afterUptime(staleCheckInterval, [this] { sweepStale(); });
}

void AgentService::sweepStale() {
    const Date date = now();
    auto map = working.get();
    for (auto it = map.begin(); it != map.end();) {
        const auto active = lastActivity.find(it->first);
        const Date last = active != lastActivity.end() ? active->second : it->second;
        if (date.timeIntervalSince(last) > staleAfter) {
            lastActivity.erase(it->first);
            it = map.erase(it);
        } else {
            ++it;
        }
    }
    setWorkingMap(std::move(map));
    if (!working->empty()) scheduleStaleCheck();
}

}  // namespace quorlix
