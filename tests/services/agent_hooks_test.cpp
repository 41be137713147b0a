#include "agent_test_support.h"
#include "fakes/unprivileged_user.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>
#include <csignal>

namespace quorlix::testing {
namespace {

const std::string dbusSend = "/usr/bin/dbus-send --session --type=signal /com/halvik/quorlix ";
const std::string codexLine =
    R"(notify = ["/bin/sh", "-c", "/usr/bin/dbus-send --session --type=signal /com/halvik/quorlix com.halvik.quorlix.agent.codex.done"])";

ordered_json ourGroup(const std::string& event, const std::string& matcher = "") {
    ordered_json group = {
        {"hooks",
         {{{"command", dbusSend + "com.halvik.quorlix.agent.claude." + event}, {"type", "command"}}}}};
    if (!matcher.empty()) group["matcher"] = matcher;
    return group;
}

ordered_json userGroup(const std::string& command) {
    return {{"hooks", {{{"type", "command"}, {"command", command}}}}};
}

// How many groups under each hook event hold a command of ours.
std::map<std::string, int> oursPerEvent(const ordered_json& settings) {
    std::map<std::string, int> counts;
    for (const auto& [event, groups] : settings["hooks"].items())
        for (const auto& group : groups)
            if (group.is_object() && AgentService::isOurs(group.dump())) ++counts[event];
    return counts;
}

ino_t inodeOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

using ClaudeHooksTest = AgentFilesTest;
using CodexHooksTest = AgentFilesTest;

TEST_F(ClaudeHooksTest, ConnectAddsOneGroupOfOursLastUnderEachEventAndKeepsTheRest) {
    const ordered_json original = {
        {"model", "opus"},
        {"hooks",
         {{"Stop", {userGroup("afplay listo.wav"), "raro", 3}},
          {"PreToolUse", {{{"matcher", "Bash"}, {"hooks", {{{"type", "command"}, {"command", "audit"}}}}}}}}},
        {"env", {{"RUTA", "/opt/ñandú"}}},
    };
    put(claude, original.dump(4));
    auto agents = makeService();
    agents->connectClaude();

    const ordered_json settings = parsed(claude);
    EXPECT_EQ(settings["model"], "opus");
    EXPECT_EQ(settings["env"], original["env"]);
    EXPECT_EQ(settings["hooks"]["PreToolUse"], original["hooks"]["PreToolUse"]);
    // Other tools' entries first, in their order, whatever their shape; ours last.
    EXPECT_EQ(settings["hooks"]["Stop"],
              (ordered_json{userGroup("afplay listo.wav"), "raro", 3, ourGroup("done")}));
    EXPECT_EQ(settings["hooks"]["UserPromptSubmit"], ordered_json::array({ourGroup("working")}));
    EXPECT_EQ(settings["hooks"]["PostToolUse"], ordered_json::array({ourGroup("working")}));
    EXPECT_EQ(settings["hooks"]["PermissionRequest"], ordered_json::array({ourGroup("input")}));
    EXPECT_EQ(
        settings["hooks"]["Notification"],
        ordered_json::array({ourGroup("input", "permission_prompt|elicitation_dialog|agent_needs_input")}));
    EXPECT_EQ(settings["hooks"]["SessionEnd"], ordered_json::array({ourGroup("idle")}));
    // The user's key order survives.
    std::vector<std::string> keys;
    for (const auto& [key, value] : settings.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"model", "hooks", "env"}));
    EXPECT_TRUE(agents->claudeConnected.get());
    EXPECT_FALSE(agents->lastError.get());
    EXPECT_EQ(bytes(AgentService::backupPath(claude)), original.dump(4));

    // The user adds a hook after ours; connecting again moves ours last, once per event, and
    // leaves the first backup alone.
    ordered_json edited = settings;
    edited["hooks"]["Stop"].push_back(userGroup("say hecho"));
    put(claude, edited.dump(2));
    agents->connectClaude();
    const ordered_json again = parsed(claude);
    EXPECT_EQ(again["hooks"]["Stop"].back(), ourGroup("done"));
    EXPECT_EQ(again["hooks"]["Stop"][3], userGroup("say hecho"));
    const std::map<std::string, int> once{{"Notification", 1}, {"PermissionRequest", 1},
                                          {"PostToolUse", 1},  {"SessionEnd", 1},
                                          {"Stop", 1},         {"UserPromptSubmit", 1}};
    EXPECT_EQ(oursPerEvent(again), once);
    EXPECT_EQ(bytes(AgentService::backupPath(claude)), original.dump(4));
}

TEST_F(ClaudeHooksTest, DisconnectRemovesOnlyOurHooksThenEmptiedEventsThenHooks) {
    put(claude, R"({"theme": "dark"})");
    auto agents = makeService();
    agents->connectClaude();
    agents->disconnectClaude();
    EXPECT_EQ(parsed(claude), (ordered_json{{"theme", "dark"}}));
    EXPECT_FALSE(agents->claudeConnected.get());

    // A group the user shares with us keeps their hook and its matcher; their own groups stay.
    ordered_json mixed = {
        {"hooks",
         {{"Notification",
           {{{"matcher", "permission_prompt|elicitation_dialog|agent_needs_input"},
             {"hooks",
              {{{"command", dbusSend + "com.halvik.quorlix.agent.claude.input"}, {"type", "command"}},
               {{"type", "command"}, {"command", "notify-send hola"}}}}}}},
          {"Stop", {userGroup("afplay fin.wav"), ourGroup("done")}},
          {"Odd", "not a list"}}}};
    put(claude, mixed.dump());
    agents->connectClaude();
    EXPECT_EQ(parsed(claude)["hooks"]["Notification"][0]["hooks"],
              ordered_json::array({{{"type", "command"}, {"command", "notify-send hola"}}}))
        << "connecting keeps the user's hook in the shared group";
    agents->disconnectClaude();
    const ordered_json after = parsed(claude);
    EXPECT_EQ(after["hooks"]["Notification"],
              ordered_json::array({{{"matcher", "permission_prompt|elicitation_dialog|agent_needs_input"},
                                    {"hooks", {{{"type", "command"}, {"command", "notify-send hola"}}}}}}));
    EXPECT_EQ(after["hooks"]["Stop"], ordered_json::array({userGroup("afplay fin.wav")}));
    EXPECT_EQ(after["hooks"]["Odd"], "not a list");
    EXPECT_FALSE(after["hooks"].contains("SessionEnd"));
    EXPECT_FALSE(agents->claudeConnected.get());
}

TEST_F(ClaudeHooksTest, AMissingFileIsCreatedByConnectAndLeftAbsentByDisconnect) {
    auto agents = makeService();
    agents->disconnectClaude();
    EXPECT_FALSE(exists(claude));
    agents->connectClaude();
    EXPECT_EQ(parsed(claude)["hooks"].size(), 6u);
    EXPECT_FALSE(exists(AgentService::backupPath(claude))) << "nothing to back up";
    EXPECT_TRUE(agents->claudeConnected.get());
}

TEST_F(ClaudeHooksTest, UnexpectedShapesStopConnectWithTheFileUntouched) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {R"([1, 2])", "No se pudo editar ~/.claude/settings.json: el archivo no es un objeto JSON"},
        {"{\"a\": 1,\n  \"b\": tru}",
         "No se pudo editar ~/.claude/settings.json: el archivo no es JSON válido en la línea 2, columna 11"},
        {R"({"hooks": ["Stop"]})",
         "No se pudo editar ~/.claude/settings.json: \"hooks\" no es un objeto JSON"},
        {R"({"hooks": {"Stop": {"hooks": []}}})",
         "No se pudo editar ~/.claude/settings.json: \"hooks.Stop\" no es una lista JSON"},
        {R"({"hooks": {"SessionEnd": null}})",
         "No se pudo editar ~/.claude/settings.json: \"hooks.SessionEnd\" no es una lista JSON"},
        {R"({"n": 1e400})",
         "No se pudo editar ~/.claude/settings.json: el archivo tiene un número demasiado grande"},
        // What writing the file back would change.
        {R"({"id": 123456789012345678901234})",
         "No se pudo editar ~/.claude/settings.json: el archivo tiene un número entero de más de 64 bits"},
        {R"({"model": "opus", "env": {}, "model": "sonnet"})",
         "No se pudo editar ~/.claude/settings.json: el archivo repite la clave «model»"},
        // Hostile: nested too deep to handle, and too large to load.
        {"{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
         "No se pudo editar ~/.claude/settings.json: el archivo anida demasiados niveles"},
        {"{\"a\": \"" + std::string(9 * 1024 * 1024, 'x') + "\"}",
         "No se pudo editar ~/.claude/settings.json: el archivo es demasiado grande"},
        {"{\"nombre\": \"\xff\xfe\"}",
         "No se pudo editar ~/.claude/settings.json: el archivo no es texto UTF-8"},
    };
    auto agents = makeService();
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        put(claude, text);
        agents->connectClaude();
        EXPECT_EQ(agents->lastError.get(), error);
        EXPECT_EQ(bytes(claude), text);
        EXPECT_FALSE(exists(AgentService::backupPath(claude)));
    }
    // A failed disconnect says so too.
    agents->lastError = std::nullopt;
    agents->disconnectClaude();
    EXPECT_EQ(agents->lastError.get(), cases.back().second);
    EXPECT_EQ(bytes(claude), cases.back().first);
}

TEST_F(ClaudeHooksTest, AnUnreadableFileIsNeverTakenForAnEmptyOne) {
    // A folder where the file should be.
    fs::create_directories(claude);
    auto agents = makeService();
    agents->connectClaude();
    EXPECT_EQ(agents->lastError.get(), "No se pudo editar ~/.claude/settings.json: no es un archivo normal");
    EXPECT_TRUE(fs::is_directory(claude));
    fs::remove(claude);

    // A file its reader may replace but not read. Root reads anything, so then the attempt
    // runs in a child process as an unprivileged user.
    const std::string secret = R"({"secreto": true})";
    put(claude, secret);
    fs::permissions(claude.parent_path(), fs::perms::all);
    fs::permissions(claude, fs::perms::owner_write);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(claude.c_str(), nobody, nobody), 0);
    }
    const bool refused = asUnprivilegedUser([&] {
        AgentService service(nullptr);
        service.connectClaude();
        return service.lastError.get().value_or("").starts_with(
                   "No se pudo editar ~/.claude/settings.json: no se pudo leer: ") &&
               !service.claudeConnected.get();
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(bytes(claude), secret);
}

TEST_F(ClaudeHooksTest, WritesKeepTheModeAndGoThroughASymbolicLink) {
    const fs::path target = fake.home.path() / "home" / "dotfiles" / "claude.json";
    put(target, R"({"privado": 1})");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(claude.parent_path());
    fs::create_symlink("../dotfiles/claude.json", claude);

    auto agents = makeService();
    agents->connectClaude();
    EXPECT_FALSE(agents->lastError.get());
    ASSERT_TRUE(fs::is_symlink(claude));
    EXPECT_EQ(fs::read_symlink(claude), "../dotfiles/claude.json");
    EXPECT_EQ(parsed(target)["hooks"].size(), 6u);
    EXPECT_EQ(parsed(target)["privado"], 1);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask, fs::perms(0600));
    // The copy is as private as the file it copies.
    EXPECT_EQ(bytes(AgentService::backupPath(claude)), R"({"privado": 1})");
    EXPECT_EQ(fs::status(AgentService::backupPath(claude)).permissions() & fs::perms::mask, fs::perms(0600));
    EXPECT_TRUE(agents->claudeConnected.get());
}

TEST_F(AgentFilesTest, ReadOnlyFilesAreLeftAsTheyAre) {
    const std::string settings = R"({"tema": "oscuro"})";
    const std::string config = "model = \"o3\"\n";
    put(claude, settings);
    put(codex, config);
    fs::permissions(claude, fs::perms(0444));
    fs::permissions(codex, fs::perms(0444));
    auto agents = makeService();
    agents->connectClaude();
    EXPECT_EQ(agents->lastError.get(),
              "No se pudo editar ~/.claude/settings.json: el archivo es de solo lectura");
    agents->connectCodex();
    EXPECT_EQ(agents->lastError.get(),
              "No se pudo editar ~/.codex/config.toml: el archivo es de solo lectura");
    for (const auto& [path, text] : {std::pair{claude, settings}, std::pair{codex, config}}) {
        EXPECT_EQ(bytes(path), text);
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask, fs::perms(0444));
        EXPECT_FALSE(exists(AgentService::backupPath(path)));
    }
}

TEST_F(ClaudeHooksTest, NoBackupNoWrite) {
    // Files may grow no larger than 8 bytes: the first write, the backup, fails.
    const std::string text = R"({"tema": "oscuro"})";
    put(claude, text);
    auto agents = makeService();
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    agents->connectClaude();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(agents->lastError.get().value_or("").starts_with(
        "No se pudo editar ~/.claude/settings.json: no se pudo hacer la copia de seguridad ("));
    EXPECT_EQ(bytes(claude), text);
    EXPECT_FALSE(exists(AgentService::backupPath(claude)));
    EXPECT_FALSE(agents->claudeConnected.get());
}

TEST_F(ClaudeHooksTest, OldHooksAreUpgradedAtStart) {
    // The URL form of earlier versions.
    const ordered_json old = {
        {"hooks",
         {{"Stop",
           {userGroup("open -g 'quorlix://agent?agent=claude&event=done'"), userGroup("afplay a.wav")}},
          {"UserPromptSubmit", {userGroup("open -g 'quorlix://agent?agent=claude&event=working'")}}}}};
    put(claude, old.dump(2));
    auto agents = makeService();
    const ordered_json settings = parsed(claude);
    EXPECT_EQ(bytes(claude).find("quorlix://agent"), std::string::npos);
    EXPECT_EQ(settings["hooks"]["Stop"], (ordered_json{userGroup("afplay a.wav"), ourGroup("done")}));
    EXPECT_EQ(settings["hooks"].size(), 6u);
    EXPECT_TRUE(agents->claudeConnected.get());

    // Current hooks are left as they are (the file is not even rewritten).
    const ino_t inode = inodeOf(claude);
    agents = makeService();
    EXPECT_EQ(inodeOf(claude), inode);

    // A set lacking a row added since is brought up to date.
    ordered_json partial = settings;
    partial["hooks"].erase("SessionEnd");
    put(claude, partial.dump(2));
    agents = makeService();
    EXPECT_EQ(parsed(claude)["hooks"]["SessionEnd"], ordered_json::array({ourGroup("idle")}));

    // A full set written for another system, whose program does not exist here.
    std::string foreign = bytes(claude);
    for (auto at = foreign.find(dbusSend); at != std::string::npos; at = foreign.find(dbusSend, at))
        foreign.replace(at, dbusSend.size(), "/usr/bin/notifyutil -p ");
    put(claude, foreign);
    agents = makeService();
    EXPECT_EQ(parsed(claude), settings);
    EXPECT_EQ(bytes(claude).find("notifyutil"), std::string::npos);
}

TEST_F(CodexHooksTest, ConnectPutsOurLineFirstAndDisconnectTakesItBack) {
    const std::string original = "model = \"o3\"\r\n[perfiles.rápido]\nmodel = \"o4-mini\"";
    put(codex, original);
    auto agents = makeService();
    agents->connectCodex();
    EXPECT_EQ(bytes(codex), codexLine + "\n" + original);
    EXPECT_EQ(bytes(AgentService::backupPath(codex)), original);
    EXPECT_TRUE(agents->codexConnected.get());
    EXPECT_FALSE(agents->lastError.get());

    // Already ours: no rewrite, and an old error goes.
    const ino_t inode = inodeOf(codex);
    agents->lastError = "viejo";
    agents->connectCodex();
    EXPECT_EQ(inodeOf(codex), inode);
    EXPECT_FALSE(agents->lastError.get());

    agents->disconnectCodex();
    EXPECT_EQ(bytes(codex), original);
    EXPECT_FALSE(agents->codexConnected.get());
    EXPECT_FALSE(agents->lastError.get());
}

TEST_F(CodexHooksTest, MissingFileIsCreatedByConnectAndLeftAbsentByDisconnect) {
    auto agents = makeService();
    agents->disconnectCodex();
    EXPECT_FALSE(exists(codex));
    agents->connectCodex();
    EXPECT_EQ(bytes(codex), codexLine + "\n");
    EXPECT_FALSE(exists(AgentService::backupPath(codex)));
}

TEST_F(CodexHooksTest, AnotherNotifyCommandIsRefusedButACommentedOneIsNot) {
    auto agents = makeService();
    for (const std::string text :
         {"notify = [\"terminal-notifier\"]\n", "model = \"o3\"\n  notify=[\"x\"]"}) {
        put(codex, text);
        agents->connectCodex();
        EXPECT_EQ(agents->lastError.get(),
                  "Codex ya tiene un comando «notify» en ~/.codex/config.toml. Agrega "
                  "Quorlix a mano o quita el tuyo.");
        EXPECT_EQ(bytes(codex), text);
        EXPECT_FALSE(exists(AgentService::backupPath(codex)));
    }
    // A quoted key is the same key; a dotted one makes `notify` a table.
    for (const std::string text :
         {"\"notify\" = [\"x\"]\n", "model = \"o3\"\n'notify' = [\"x\"]", "notify.x = 1\n"}) {
        put(codex, text);
        agents->connectCodex();
        EXPECT_TRUE(agents->lastError.get().value_or("").starts_with("Codex ya tiene un comando «notify»"))
            << text;
        EXPECT_EQ(bytes(codex), text);
    }
    const std::string commented = "# notify = [\"terminal-notifier\"]\nnotify_sound = true\n";
    put(codex, commented);
    agents->connectCodex();
    EXPECT_EQ(bytes(codex), codexLine + "\n" + commented);
    EXPECT_FALSE(agents->lastError.get());
}

TEST_F(CodexHooksTest, DisconnectRemovesOnlyLinesItKnows) {
    const std::string text =
        "  " + codexLine + "\r\n" +
        R"(notify = ["/usr/bin/notifyutil", "-p", "com.halvik.quorlix.agent.codex.done"])" +
        "\n# avisa con com.halvik.quorlix.agent.codex.done\nmodel = \"o3\"\n";
    put(codex, text);
    auto agents = makeService();
    agents->disconnectCodex();
    EXPECT_EQ(bytes(codex), "# avisa con com.halvik.quorlix.agent.codex.done\nmodel = \"o3\"\n");
    EXPECT_EQ(
        agents->lastError.get(),
        "Quedan líneas de Quorlix en ~/.codex/config.toml que no se pueden quitar solas. Quítalas a mano.");
    EXPECT_TRUE(agents->codexConnected.get()) << "the remaining line still names us";
}

TEST_F(CodexHooksTest, UndecodableOrUnreadableFilesStayByteIdentical) {
    const std::string latin1 = "model = \"se\xf1or\"\n";
    put(codex, latin1);
    auto agents = makeService();
    agents->connectCodex();
    EXPECT_EQ(agents->lastError.get(),
              "No se pudo editar ~/.codex/config.toml: el archivo no es texto UTF-8");
    EXPECT_EQ(bytes(codex), latin1);
    agents->lastError = std::nullopt;
    agents->disconnectCodex();
    EXPECT_EQ(agents->lastError.get(),
              "No se pudo editar ~/.codex/config.toml: el archivo no es texto UTF-8");
    EXPECT_EQ(bytes(codex), latin1);
    EXPECT_FALSE(exists(AgentService::backupPath(codex)));
}

TEST_F(CodexHooksTest, TheOldURLLineIsReplacedAtStart) {
    // Only the setting goes: a comment of the user's that mentions the address stays.
    const std::string old =
        "notify = [\"xdg-open\", \"quorlix://agent?agent=codex&event=done\"]\n# quorlix://agent avisa\nmodel "
        "= \"o3\"\n";
    put(codex, old);
    auto agents = makeService();
    EXPECT_EQ(bytes(codex), codexLine + "\n# quorlix://agent avisa\nmodel = \"o3\"\n");
    EXPECT_FALSE(agents->lastError.get());
    EXPECT_EQ(bytes(AgentService::backupPath(codex)), old) << "the copy holds the file before any change";
    EXPECT_TRUE(agents->codexConnected.get());
}

TEST_F(CodexHooksTest, NotifyArraysOverSeveralLinesGoWholeOrStay) {
    const std::string command = dbusSend + "com.halvik.quorlix.agent.codex.done";
    const std::string rest = "model = \"o3\"\n";
    struct Case {
        std::string text;
        bool atStart;                       // the old form, upgraded at start; else disconnected
        std::optional<std::string> result;  // none: left as it was, with the stray-lines message
    };
    const std::vector<Case> cases{
        {"notify = [\n  \"/bin/sh\",\n  \"-c\",\n  \"" + command + "\",\n]\n" + rest, false, rest},
        {"notify = [\"/bin/sh\", \"-c\",\r\n    '" + command + "']\r\n" + rest, false, rest},
        {"notify = [\n  \"/bin/sh\", \"-c\", # mine\n  \"" + command + "\",\n]\n" + rest, false,
         std::nullopt},
        {"notify = [\n  \"xdg-open\",\n  \"quorlix://agent?agent=codex&event=done\"\n]\n" + rest, true,
         codexLine + "\n" + rest},
        {"notify = [\n  \"xdg-open\",\n  # vieja\n  \"quorlix://agent?agent=codex&event=done\"\n]\n" + rest,
         true, std::nullopt},
    };
    for (const auto& [text, atStart, result] : cases) {
        SCOPED_TRACE(text);
        put(codex, text);
        fs::remove(AgentService::backupPath(codex));
        auto agents = makeService();
        if (!atStart) agents->disconnectCodex();
        EXPECT_EQ(bytes(codex), result.value_or(text));
        EXPECT_EQ(agents->lastError.get().has_value(), !result.has_value());
        if (!result) {
            EXPECT_EQ(agents->lastError.get(),
                      "Quedan líneas de Quorlix en ~/.codex/config.toml que no se pueden quitar solas. "
                      "Quítalas a mano.");
        }
    }
}

}  // namespace
}  // namespace quorlix::testing
