// Connecting and then disconnecting an agent leaves the user's own content as it was, for
// many generated files: Claude's settings value-equal, Codex's configuration byte for byte.
// Files that cannot be edited safely (invalid, read-only, holding what a rewrite would
// change) are refused, and a refusal leaves the file's bytes, mode and link as they were.

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
        static const std::vector<std::string> unusual{"\"clave con espacios\" = 1",
                                                      "'literal' = 'ñ'",
                                                      "perfil . modelo = \"o3\"",
                                                      "\t\tinteger = +1_000",
                                                      "emoji = \"😀\\u00e9\"",
                                                      "notificaciones = true",
                                                      "[tui]",
                                                      "notifications = [\"agent-turn-complete\"]",
                                                      "arr = [\n  \"x\", # comentario\n  \"y\",\n]",
                                                      "  # notify en comentario"};
        std::string text = chance(5) ? "\xEF\xBB\xBF" : "";
        bool refused = false;
        const int count = below(8);
        for (int i = 0; i < count; ++i) {
            if (chance(4)) {
                text += pick(std::vector<std::string>{"notify = [\"terminal-notifier\"]", "\tnotify=[]",
                                                      "\"notify\" = [\"x\"]", "'notify' = []",
                                                      "notify.programa = \"x\"", "notify = [\n  \"x\",\n]"});
                refused = true;
            } else {
                text += pick(chance(25) ? unusual : lines);
            }
            if (i + 1 < count || chance(60)) text += chance(20) ? "\r\n" : "\n";
        }
        return {text, refused};
    }

    // Settings as text, sometimes in a form connecting must refuse.
    struct SettingsText {
        std::string text;
        ordered_json json;  // what the valid text holds
        bool refused;
    };

    SettingsText settingsText() {
        auto [json, refused] = settings();
        std::string text = json.dump(pick(std::vector<int>{-1, 1, 2, 4}));
        if (chance(15)) {
            // Line ends and blanks of other editors: only between tokens in a dump.
            std::string spaced;
            for (const char c : text) spaced += c == '\n' ? std::string("\r\n") : std::string(1, c);
            text = pick(std::vector<std::string>{"", " ", "\t", "\n"}) + spaced + "\n\n";
        }
        if (!chance(20)) return {text, json, refused};
        const auto afterBrace = text.find('{') + 1;
        switch (below(6)) {
            case 0:  // cut short; never empty, which reads as an empty object
                return {
                    text.substr(0, 1 + static_cast<std::size_t>(below(static_cast<int>(text.rfind('}'))))),
                    json, true};
            case 1: return {text.insert(afterBrace, "\"dup\": 1, \"dup\": 2, "), json, true};
            case 2:
                return {text.insert(afterBrace, "\"grande\": 123456789012345678901234567890, "), json, true};
            case 3: return {"[" + text + "]", json, true};
            case 4: return {text.insert(afterBrace, "\"latin1\": \"se\xf1or\", "), json, true};
            default:
                return {text.insert(afterBrace,
                                    "\"hondo\": " + std::string(300, '[') + std::string(300, ']') + ", "),
                        json, true};
        }
    }

    // How the file stands: plain, private, read-only, or reached through a symbolic link.
    enum class Place { plain, privateFile, readOnly, link, linkToReadOnly };
    Place place() {
        return pick(std::vector<Place>{Place::plain, Place::plain, Place::plain, Place::privateFile,
                                       Place::readOnly, Place::link, Place::linkToReadOnly});
    }

private:
    std::mt19937 random_;
};

// The bytes, mode and link of a user's file.
struct FileState {
    bool link = false;
    fs::path linkTarget;
    std::string bytes;
    fs::perms mode = fs::perms::none;
    friend bool operator==(const FileState&, const FileState&) = default;
};

class AgentHooksPropertyTest : public AgentFilesTest {
protected:
    // Puts `text` at `path` the way `place` says; none: no file at all.
    void place(const fs::path& path, const std::optional<std::string>& text, Generator::Place how) {
        std::error_code ec;
        fs::remove(path, ec);
        fs::remove(AgentService::backupPath(path), ec);
        if (!text) return;
        const bool link = how == Generator::Place::link || how == Generator::Place::linkToReadOnly;
        const fs::path target = link ? fake.home.path() / "dotfiles" / path.filename() : path;
        fs::create_directories(target.parent_path());
        if (fs::exists(target)) fs::permissions(target, fs::perms::owner_all);
        put(target, *text);
        if (link) fs::create_symlink(fs::relative(target, path.parent_path()), path);
        if (how == Generator::Place::privateFile) fs::permissions(target, fs::perms(0600));
        if (how == Generator::Place::readOnly || how == Generator::Place::linkToReadOnly)
            fs::permissions(target, fs::perms(0444));
    }
    static bool readOnly(Generator::Place how) {
        return how == Generator::Place::readOnly || how == Generator::Place::linkToReadOnly;
    }
    static FileState state(const fs::path& path) {
        FileState s;
        s.link = fs::is_symlink(path);
        if (s.link) s.linkTarget = fs::read_symlink(path);
        s.bytes = bytes(path);
        s.mode = fs::status(path).permissions() & fs::perms::mask;
        return s;
    }
};

TEST_F(AgentHooksPropertyTest, ClaudeSettingsSurviveConnectAndDisconnect) {
    auto agents = makeService();
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator generate(seed);
        const auto [text, original, invalid] = generate.settingsText();
        const auto how = generate.place();
        const bool refused = invalid || readOnly(how);
        place(claude, text, how);
        const FileState before = state(claude);
        agents->lastError = std::nullopt;

        agents->connectClaude();
        if (refused) {
            EXPECT_TRUE(agents->lastError.get()) << text;
            EXPECT_EQ(state(claude), before) << text;
            EXPECT_FALSE(exists(AgentService::backupPath(claude)));
            agents->disconnectClaude();
            EXPECT_EQ(state(claude), before);
            continue;
        }
        ASSERT_FALSE(agents->lastError.get()) << *agents->lastError.get() << "\n" << text;
        ASSERT_TRUE(agents->claudeConnected.get());
        EXPECT_EQ(bytes(AgentService::backupPath(claude)), text);
        agents->disconnectClaude();
        EXPECT_EQ(parsed(claude), original) << text;
        EXPECT_FALSE(agents->claudeConnected.get());
        const FileState after = state(claude);
        EXPECT_EQ(after.link, before.link);
        EXPECT_EQ(after.linkTarget, before.linkTarget);
        EXPECT_EQ(after.mode, before.mode);
    }
}

TEST_F(AgentHooksPropertyTest, CodexConfigurationSurvivesConnectAndDisconnect) {
    auto agents = makeService();
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator generate(seed);
        auto [original, refused] = generate.toml();
        // Latin-1 is no UTF-8: the file is not edited at all.
        const bool latin1 = original && generate.chance(5);
        if (latin1) *original += "nombre = \"se\xf1or\"\n";
        const auto how = generate.place();
        place(codex, original, how);
        const FileState before = state(codex);
        agents->lastError = std::nullopt;

        agents->connectCodex();
        if (refused || latin1 || (original && readOnly(how))) {
            EXPECT_TRUE(agents->lastError.get()) << original.value_or("");
            EXPECT_EQ(state(codex), before);
            EXPECT_FALSE(agents->codexConnected.get());
            EXPECT_FALSE(exists(AgentService::backupPath(codex)));
            continue;
        }
        EXPECT_FALSE(agents->lastError.get()) << *agents->lastError.get();
        EXPECT_TRUE(agents->codexConnected.get());
        agents->disconnectCodex();
        EXPECT_EQ(bytes(codex), original.value_or(""));
        EXPECT_FALSE(agents->codexConnected.get());
        EXPECT_FALSE(agents->lastError.get());
        if (original) {
            const FileState after = state(codex);
            EXPECT_EQ(after.link, before.link);
            EXPECT_EQ(after.linkTarget, before.linkTarget);
            EXPECT_EQ(after.mode, before.mode);
        }
    }
}

}  // namespace
}  // namespace quorlix::testing
