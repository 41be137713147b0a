#include "services/agent_service.h"

#include "platform/main_queue.h"

#include <cstdio>
#include <vector>

namespace quorlix {

namespace {

constexpr double doneRepeatWindow = 5.0;
constexpr double inputRepeatWindow = 120.0;
constexpr double staleCheckInterval = 60.0;
constexpr double staleAfter = 900.0;

Date now() { return platform::Clock::shared().date(); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%41" becomes "A"; a "%" not followed by two hex digits stays as it is. "+" stays "+",
// as in query items.
std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

struct QueryItem {
    std::string name;
    std::optional<std::string> value;
};

// The parts of "scheme://host[:port][/path][?query][#fragment]" that agent URLs use. No
// query at all gives none; an empty query gives an empty list.
struct AgentURL {
    std::string scheme;
    std::string host;
    std::optional<std::vector<QueryItem>> queryItems;
};

std::optional<AgentURL> parse(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    AgentURL out;
    out.scheme = std::string(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    std::optional<std::string_view> query;
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        std::string_view authority = rest.substr(2);
        authority = authority.substr(0, authority.find('/'));
        if (const auto at = authority.rfind('@'); at != std::string_view::npos)
            authority = authority.substr(at + 1);
        out.host = percentDecoded(authority.substr(0, authority.find(':')));
    }
    if (query) {
        std::vector<QueryItem> items;
        for (std::string_view q = *query; !q.empty();) {
            const auto amp = q.find('&');
            const std::string_view item = q.substr(0, amp);
            const auto eq = item.find('=');
            QueryItem qi{percentDecoded(item.substr(0, eq)), std::nullopt};
            if (eq != std::string_view::npos) qi.value = percentDecoded(item.substr(eq + 1));
            items.push_back(std::move(qi));
            if (amp == std::string_view::npos) break;
            q = q.substr(amp + 1);
        }
        out.queryItems = std::move(items);
    }
    return out;
}

std::string firstValue(const std::vector<QueryItem>& items, std::string_view name) {
    for (const auto& item : items)
        if (item.name == name) return item.value.value_or("");
    return "";
}

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

void AgentService::handle(std::string_view url) {
    const auto parts = parse(url);
    if (!parts || parts->scheme != "quorlix" || parts->host != "agent") return;
    if (!parts->queryItems) return;
    const AgentKind kind =
        fromRawValue<AgentKind>(firstValue(*parts->queryItems, "agent")).value_or(AgentKind::other);
    apply(kind, firstValue(*parts->queryItems, "event"));
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
    const auto s = static_cast<long long>(seconds);  // toward zero
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
    staleTask = platform::MainQueue::shared().after(staleCheckInterval, [this] { sweepStale(); });
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
