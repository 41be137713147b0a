// Connecting and then disconnecting an agent leaves the user's own content as it was, for
// many generated files: Claude's settings value-equal, Codex's configuration byte for byte.

#include "agent_test_support.h"

#include <random>

namespace quorlix::testing {
namespace {

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

    std::string text() {
        static const std::vector<std::string> pieces{"a",     "Zeta", " ", "ñandú", "€",
                                                     "\"",    "\\",   "/", "\n",    "\t",
                                                     "😀",     "0",    "{", "]",     "permission_prompt",
                                                     "afplay"};
        std::string out;
        for (int n = below(4); n > 0; --n) out += pick(pieces);
        return out;
    }

    ordered_json value(int depth) {
        switch (below(depth > 0 ? 8 : 6)) {
            case 0: return nullptr;
            case 1: return chance(50);
            case 2: return below(2000) - 1000;
            case 3: return below(1000) / 8.0;
            case 4:
            case 5: return text();
            case 6: {
                ordered_json list = ordered_json::array();
                for (int n = below(4); n > 0; --n) list.push_back(value(depth - 1));
                return list;
            }
            default: {
                ordered_json object = ordered_json::object();
                for (int n = below(4); n > 0; --n) object[text() + std::to_string(n)] = value(depth - 1);
                return object;
            }
        }
    }

    // A hook group of the user's, or something else found in a hook list.
    ordered_json listElement() {
        if (chance(15)) return value(1);
        ordered_json group = ordered_json::object();
        if (chance(40)) group["matcher"] = pick(std::vector<std::string>{"Bash", "Edit|Write", "", "*"});
        if (chance(10)) {
            group["hooks"] = value(1);  // not necessarily a list
            return group;
        }
        ordered_json hooks = ordered_json::array();
        for (int n = below(3); n > 0; --n) {
            ordered_json hook = {{"type", "command"}, {"command", "notify-send " + text()}};
            if (chance(20)) hook["timeout"] = below(60);
            hooks.push_back(chance(10) ? value(1) : hook);
        }
        group["hooks"] = hooks;
        return group;
    }

    struct Settings {
        ordered_json json;
        bool refused;  // connecting must refuse it
    };

    Settings settings() {
        static const std::vector<std::string> events{"UserPromptSubmit", "PostToolUse", "PermissionRequest",
                                                     "Notification",     "Stop",        "SessionEnd",
                                                     "PreToolUse",       "SubagentStop"};
        ordered_json object = ordered_json::object();
        bool refused = false;
        const int hooksAt = chance(70) ? below(4) : -1;
        for (int i = 0; i < 4; ++i) {
            if (i == hooksAt) {
                if (chance(5)) {
                    object["hooks"] = value(1).is_object() ? ordered_json("x") : value(1);
                    refused = true;
                    continue;
                }
                ordered_json hooks = ordered_json::object();
                for (const auto& event : events) {
                    if (!chance(40)) continue;
                    const bool ours =
                        std::any_of(AgentService::claudeHooks.begin(), AgentService::claudeHooks.end(),
                                    [&](const auto& row) { return row.hookEvent == event; });
                    if (chance(5)) {
                        hooks[event] = chance(50) ? ordered_json(text()) : ordered_json::object();
                        refused = refused || ours;
                        continue;
                    }
                    // A list of ours that connecting then disconnecting empties is removed;
                    // the user's lists here are never empty.
                    ordered_json list = ordered_json::array();
                    for (int n = 1 + below(3); n > 0; --n) list.push_back(listElement());
                    hooks[event] = list;
                }
                if (!hooks.empty()) object["hooks"] = hooks;
            }
            object["clave" + std::to_string(i) + text()] = value(2);
        }
        return {object, refused};
    }

    struct Toml {
        std::optional<std::string> text;  // none: no file
        bool refused;
    };

    Toml toml() {
        if (chance(5)) return {std::nullopt, false};
        static const std::vector<std::string> lines{"model = \"o3\"",
                                                    "[perfiles.rápido]",
                                                    "# comentario con € y ñ",
                                                    "approval_policy = \"never\"",
                                                    "",
                                                    "   ",
                                                    "  sangría = 1",
                                                    "notify_sound = true",
                                                    "# notify = [\"terminal-notifier\"]",
                                                    "clave = 'literal \\ con barra'",
                                                    "lista = [",
                                                    "  \"a\",",
                                                    "]",
                                                    "texto = \"\"\"",
                                                    "varias líneas",
                                                    "\"\"\""};
        std::string text = chance(5) ? "\xEF\xBB\xBF" : "";
        bool refused = false;
        const int count = below(8);
        for (int i = 0; i < count; ++i) {
            if (chance(4)) {
                text += pick(std::vector<std::string>{"notify = [\"terminal-notifier\"]", "\tnotify=[]"});
                refused = true;
            } else {
                text += pick(lines);
            }
            if (i + 1 < count || chance(60)) text += chance(20) ? "\r\n" : "\n";
        }
        return {text, refused};
    }

private:
    std::mt19937 random_;
};

using AgentHooksPropertyTest = AgentFilesTest;

TEST_F(AgentHooksPropertyTest, ClaudeSettingsSurviveConnectAndDisconnect) {
    auto agents = makeService();
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator generate(seed);
        const auto [original, refused] = generate.settings();
        const std::string text = original.dump(generate.pick(std::vector<int>{-1, 2, 4}));
        put(claude, text);
        fs::remove(AgentService::backupPath(claude));
        agents->lastError = std::nullopt;

        agents->connectClaude();
        if (refused) {
            EXPECT_TRUE(agents->lastError.get());
            EXPECT_EQ(bytes(claude), text);
        } else {
            ASSERT_FALSE(agents->lastError.get()) << *agents->lastError.get() << "\n" << text;
            ASSERT_TRUE(agents->claudeConnected.get());
            EXPECT_EQ(bytes(AgentService::backupPath(claude)), text);
        }
        agents->disconnectClaude();
        EXPECT_EQ(parsed(claude), original) << text;
        EXPECT_FALSE(agents->claudeConnected.get());
    }
}

TEST_F(AgentHooksPropertyTest, CodexConfigurationSurvivesConnectAndDisconnect) {
    auto agents = makeService();
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator generate(seed);
        const auto [original, refused] = generate.toml();
        std::error_code ec;
        fs::remove(codex, ec);
        fs::remove(AgentService::backupPath(codex), ec);
        if (original) put(codex, *original);
        agents->lastError = std::nullopt;

        agents->connectCodex();
        EXPECT_EQ(agents->codexConnected.get(), !refused);
        EXPECT_EQ(agents->lastError.get().has_value(), refused);
        agents->disconnectCodex();
        EXPECT_EQ(bytes(codex), original.value_or(""));
        EXPECT_FALSE(agents->codexConnected.get());
        EXPECT_FALSE(agents->lastError.get() && !refused);
    }
}

}  // namespace
}  // namespace quorlix::testing
