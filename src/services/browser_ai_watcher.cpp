#include "services/browser_ai_watcher.h"

#include "platform/main_queue.h"
#include "services/apple_script_queue.h"
#include "services/url_parts.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quorlix {

namespace {

std::string lowercased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

bool mentionsJavaScript(std::string_view message) {
    return lowercased(message).find("javascript") != std::string::npos;
}

// The key of the watched site the URL's host is, or nothing.
std::optional<std::string_view> siteKey(std::string_view url) {
    const auto parts = URLParts::parse(url);
    if (!parts) return std::nullopt;
    const std::string host = lowercased(parts->host);
    for (const auto& site : BrowserAIWatcher::sites)
        if (host == site.host) return site.key;
    return std::nullopt;
}

}  // namespace

BrowserAIWatcher::BrowserAIWatcher()
    : BrowserAIWatcher(platform::installed().workspace, platform::installed().scriptHost,
                       AppleScriptQueue::shared()) {}

BrowserAIWatcher::BrowserAIWatcher(platform::Workspace* workspace, platform::ScriptHost* scriptHost,
                                   platform::SerialQueue& queue)
    : workspace_(workspace), scriptHost_(scriptHost), queue_(queue) {}

std::string BrowserAIWatcher::script(const Browser& browser) {
    std::string condition;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        condition += i == 0 ? "if u contains \"" : " or u contains \"";
        condition += sites[i].host;
        condition += '"';
    }
    condition += " then";
    const std::string test(stopButtonTest);
    const std::string command = browser.chromium ? "set r to execute t javascript \"" + test + "\""
                                                 : "set r to do JavaScript \"" + test + "\" in t";
    const std::vector<std::pair<int, std::string>> lines{
        {0, "tell application \"" + std::string(browser.name) + "\""},
        {1, "set out to \"\""},
        {1, "repeat with w in windows"},
        {2, "repeat with t in tabs of w"},
        {3, "set u to URL of t"},
        {3, condition},
        {4, "try"},
        {5, command},
        {4, "on error m"},
        {5, "if m contains \"JavaScript\" then error m"},
        {5, "set r to \"0\""},
        {4, "end try"},
        {4, "set out to out & u & \"|\" & r & linefeed"},
        {3, "end if"},
        {2, "end repeat"},
        {1, "end repeat"},
        {1, "return out"},
        {0, "end tell"},
    };
    std::string text;
    for (const auto& [level, line] : lines) {
        if (!text.empty()) text += '\n';
        text.append(static_cast<std::size_t>(level) * 4, ' ');
        text += line;
    }
    return text;
}

void BrowserAIWatcher::readReply(std::string_view reply, Results& results) {
    while (!reply.empty()) {
        const auto feed = reply.find('\n');
        const std::string_view line = reply.substr(0, feed);
        reply = feed == std::string_view::npos ? std::string_view() : reply.substr(feed + 1);
        // A URL may hold "|" itself; the answer follows the last one.
        const auto bar = line.rfind('|');
        if (bar == std::string_view::npos) continue;
        const std::string_view url = line.substr(0, bar);
        const std::string_view answer = line.substr(bar + 1);
        if (url.empty() || answer.empty()) continue;
        const auto key = siteKey(url);
        if (!key) continue;
        bool& busy = results[std::string(*key)];
        busy = busy || answer == "1";
    }
}

void BrowserAIWatcher::update(bool enabled) {
    timer_.cancel();
    if (!enabled) {
        setStatus(Status::off());
        clearAll();
        return;
    }
    setStatus(Status::waiting());
    scheduleTick();
}

void BrowserAIWatcher::scheduleTick() {
    timer_ = platform::MainQueue::shared().after(period, [this] {
        scheduleTick();
        poll();
    });
}

void BrowserAIWatcher::clearAll() {
    if (!agents) return;
    for (const AgentKind kind : webKinds) agents->setWorking(kind, false, false);
}

void BrowserAIWatcher::poll() {
    if (busy_) return;  // the pass before is still in flight; this tick is dropped
    std::vector<std::pair<std::string, std::string>> jobs;  // browser name, script
    for (const Browser& browser : browsers) {
        if (workspace_ && workspace_->isRunning(std::string(browser.bundleID)))
            jobs.emplace_back(browser.name, script(browser));
    }
    if (jobs.empty()) {
        clearAll();
        if (status->kind != Status::Kind::needsJavaScript) setStatus(Status::waiting());
        return;
    }
    busy_ = true;
    const double limit = AppleScriptQueue::timeLimit * static_cast<double>(jobs.size()) + 1;
    queue_.run<Pass>(
        [host = scriptHost_, jobs = std::move(jobs)] {
            Pass pass;
            for (const auto& [name, source] : jobs) {
                if (!host) continue;
                const auto outcome = host->run(source, AppleScriptQueue::timeLimit);
                if (outcome.error) {
                    // One browser's failure leaves the others' answers standing; its own
                    // tabs count as none.
                    if (mentionsJavaScript(*outcome.error)) pass.blocked = name;
                    continue;
                }
                const auto reply = outcome.value ? outcome.value->stringValue() : std::nullopt;
                readReply(reply.value_or(""), pass.results);
            }
            return pass;
        },
        lifetime_.guard([this](std::optional<Pass> pass) {
            busy_ = false;
            if (pass) apply(*pass);  // a pass that ran out of time changes nothing
        }),
        limit);
}

void BrowserAIWatcher::apply(const Pass& pass) {
    if (!timer_.isPending() || !agents) return;  // disabled meanwhile
    bool anyBusy = false;
    for (const AgentKind kind : webKinds) {
        const auto it = pass.results.find(rawValue(kind));
        const bool busy = it != pass.results.end() && it->second;
        anyBusy = anyBusy || busy;
        agents->setWorking(kind, busy, true);
    }
    if (pass.blocked)
        setStatus(Status::needsJavaScript(*pass.blocked));
    else
        setStatus(anyBusy ? Status::working() : Status::waiting());
}

void BrowserAIWatcher::setStatus(Status value) {
    if (status.get() != value) status = std::move(value);
}

}  // namespace quorlix
