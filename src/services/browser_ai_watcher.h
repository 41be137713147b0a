#pragma once
// Notices when an AI chat in a web browser is busy answering, so that the island treats it
// like a working coding agent.
//
// Every 2 s, while enabled, each running supported browser is asked by script for its tabs
// on one of the watched chat sites; a small test in each such tab looks for the chat's stop
// button. A chat that shows one works (`AgentService::setWorking`); when it stops, the
// agent service reports it done with its elapsed time. Scripts run on
// `AppleScriptQueue::shared()`, at most one pass at a time; results come back on the main
// thread and are dropped when the watcher was disabled meanwhile.
//
// A browser that refuses JavaScript from scripts makes the status `needsJavaScript` with its
// name; a browser whose script fails otherwise counts as having no watched tabs.
//
// On Linux no browser can be scripted, and the workspace knows none of these browsers as
// running: every pass clears the web agents and the status stays waiting.
//
// Main thread only.

#include "platform/platform.h"
#include "platform/published.h"
#include "platform/work_item.h"
#include "services/agent_service.h"
#include "services/lifetime.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

class BrowserAIWatcher final : public ObservableObject {
public:
    struct Status {
        enum class Kind { off, waiting, working, needsJavaScript };
        Kind kind = Kind::off;
        // The browser that refused JavaScript; empty in every other case.
        std::string browser;

        static Status off() { return {Kind::off, {}}; }
        static Status waiting() { return {Kind::waiting, {}}; }
        static Status working() { return {Kind::working, {}}; }
        static Status needsJavaScript(std::string browser) {
            return {Kind::needsJavaScript, std::move(browser)};
        }
        friend bool operator==(const Status&, const Status&) = default;
    };

    struct Browser {
        std::string_view name;      // as the script addresses it
        std::string_view bundleID;  // as the workspace knows it
        bool chromium;              // which JavaScript command it understands
    };
    // In polling order.
    static constexpr std::array<Browser, 4> browsers{{
        {"Google Chrome", "com.google.Chrome", true},
        {"Safari", "com.apple.Safari", false},
        {"Brave Browser", "com.brave.Browser", true},
        {"Microsoft Edge", "com.microsoft.edgemac", true},
    }};

    // The chat sites watched, by host, each with the raw value of the kind it counts for.
    struct Site {
        std::string_view host;
        std::string_view key;
    };
    static constexpr std::array<Site, 4> sites{{
        {"gemini.google.com", "gemini"},
        {"chatgpt.com", "chatgpt"},
        {"chat.openai.com", "chatgpt"},
        {"claude.ai", "claudeWeb"},
    }};
    static constexpr std::array<AgentKind, 3> webKinds{AgentKind::gemini, AgentKind::chatgpt,
                                                       AgentKind::claudeWeb};

    // Answers "1" when the page shows a stop button, else "0".
    static constexpr std::string_view stopButtonTest =
        "(function(){var "
        "s=['button[aria-label*=Stop]','button[aria-label*=Detener]','button[aria-label*=Parar]',"
        "'[data-testid=stop-button]','[data-test-id=stop-button]','mat-icon[fonticon=stop]'];"
        "for(var i=0;i<s.length;i++){if(document.querySelector(s[i]))return '1';}return '0';})()";

    static constexpr double period = 2.0;

    // Busy flags by the raw value of a web kind.
    using Results = std::map<std::string, bool, std::less<>>;

    // Uses the installed platform's workspace and script host, and the shared script queue.
    BrowserAIWatcher();
    BrowserAIWatcher(platform::Workspace* workspace, platform::ScriptHost* scriptHost,
                     platform::SerialQueue& queue);

    Published<Status> status{this, Status::off()};
    // The service the web kinds are reported to; not owned. Set once at launch.
    AgentService* agents = nullptr;

    // Starts polling (the first pass 2 s from now) or stops it and clears the web kinds.
    void update(bool enabled);

    // The script that lists `browser`'s watched tabs with the stop-button test's answer:
    // one line per tab, "<url>|<answer>".
    static std::string script(const Browser& browser);
    // Adds one browser's reply to `results`: a site counts as busy when any of its tabs is.
    // Lines are split at their last "|"; tabs of other hosts are ignored.
    static void readReply(std::string_view reply, Results& results);

private:
    struct Pass {
        Results results;
        std::optional<std::string> blocked;  // the last browser that refused JavaScript
    };

    void scheduleTick();
    void poll();
    void clearAll();
    void apply(const Pass& pass);
    void setStatus(Status value);

    platform::Workspace* workspace_;
    platform::ScriptHost* scriptHost_;
    platform::SerialQueue& queue_;
    // The repeating poll; pending exactly while enabled.
    platform::WorkItem timer_;
    bool busy_ = false;  // a pass is in flight
    Lifetime lifetime_;
};

}  // namespace quorlix
