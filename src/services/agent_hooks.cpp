// The hook entries of AgentService in the agents' own configuration files: Claude Code's
// JSON settings, where each hook event holds a list of groups of commands, and Codex's TOML
// configuration, where one top-level `notify` line names the program run at the end of a
// turn. Everything here runs on the main thread, synchronously.

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "services/agent_service.h"

#include <unicode/utf8.h>
#include <nlohmann/json.hpp>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace quorlix {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

// The files as the user knows them, in messages.
constexpr std::string_view claudeFileName = "~/.claude/settings.json";
constexpr std::string_view codexFileName = "~/.codex/config.toml";

constexpr std::string_view notifyRefusal =
    "Codex ya tiene un comando «notify» en ~/.codex/config.toml. Agrega Quorlix a mano o quita el tuyo.";
constexpr std::string_view codexStrayLines =
    "Quedan líneas de Quorlix en ~/.codex/config.toml que no se pueden quitar solas. Quítalas a mano.";

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string editError(std::string_view file, std::string_view reason) {
    return "No se pudo editar " + std::string(file) + ": " + std::string(reason);
}

bool isValidUTF8(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

// A user's file read as UTF-8 text. Only a file that does not exist gives neither text nor
// error: anything else that cannot be read must never be taken for an empty file.
struct UserText {
    std::optional<std::string> text;
    std::optional<std::string> error;
};

UserText readUserText(const fs::path& path) {
    std::error_code ec;
    const auto type = fs::status(path, ec).type();  // through symbolic links
    if (type == fs::file_type::not_found) return {};
    if (type == fs::file_type::none) return {std::nullopt, "no se pudo leer: " + ec.message()};
    if (type != fs::file_type::regular) return {std::nullopt, "no es un archivo normal"};
    auto text = platform::readFile(path);
    if (!text) {
        const std::string reason =
            ::access(path.c_str(), R_OK) != 0 ? std::strerror(errno) : "error de lectura";
        return {std::nullopt, "no se pudo leer: " + reason};
    }
    if (!isValidUTF8(*text)) return {std::nullopt, "el archivo no es texto UTF-8"};
    return {std::move(text), std::nullopt};
}

// Replaces the file the path names, through a symbolic link, keeping its mode.
std::optional<std::string> writeUserFile(const fs::path& path, std::string_view text) {
    return platform::writeFileAtomically(path, text, {.followSymlinks = true});
}

// Copies `file` to its backup name once: nothing happens when the file does not exist or a
// copy is already there. The copy is as private as the file.
std::optional<std::string> backup(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    const fs::path copy = AgentService::backupPath(file);
    const auto existing = fs::symlink_status(copy, ec).type();
    if (existing == fs::file_type::none) return "no se pudo comprobar " + copy.string() + ": " + ec.message();
    if (existing != fs::file_type::not_found) return std::nullopt;
    const auto bytes = platform::readFile(file);
    if (!bytes) return "no se pudo leer " + file.string();
    return platform::writeFileAtomically(copy, *bytes, {.newFileMode = status.permissions()});
}

std::string backupError(std::string_view reason) {
    return "no se pudo hacer la copia de seguridad (" + std::string(reason) + ")";
}

// --- Claude Code settings ---------------------------------------------------------------

// "en la línea 3, columna 7" for a byte offset counted from 1.
std::string positionText(std::string_view text, std::size_t byte) {
    const std::size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "en la línea " + std::to_string(line) + ", columna " + std::to_string(column);
}

struct JSONRead {
    std::optional<json> object;
    std::optional<std::string> error;
};

// A missing or empty file is an empty object; a file that cannot be read, is no JSON or is
// no object gives the reason.
JSONRead readJSON(const fs::path& path) {
    const auto file = readUserText(path);
    if (file.error) return {std::nullopt, file.error};
    if (!file.text || file.text->empty()) return {json::object(), std::nullopt};
    json value;
    try {
        value = json::parse(*file.text);
    } catch (const json::parse_error& e) {
        return {std::nullopt, "el archivo no es JSON válido " + positionText(*file.text, e.byte)};
    } catch (const json::exception&) {
        return {std::nullopt, "el archivo tiene un número demasiado grande"};  // the only other parse failure
    }
    if (!value.is_object()) return {std::nullopt, "el archivo no es un objeto JSON"};
    return {std::move(value), std::nullopt};
}

std::optional<std::string> writeJSON(const json& object, const fs::path& path) {
    std::string text;
    try {
        text = object.dump(2, ' ', false, json::error_handler_t::strict) + "\n";
    } catch (const json::exception&) {
        return "el contenido no es texto UTF-8";
    }
    return writeUserFile(path, text);
}

bool isOurHook(const json& hook) {
    if (!hook.is_object()) return false;
    const auto command = hook.find("command");
    return command != hook.end() && command->is_string() &&
           AgentService::isOurs(command->get_ref<const std::string&>());
}

// A group holding at least one hook of ours in its "hooks" list.
bool isQuorlixGroup(const json& group) {
    if (!group.is_object()) return false;
    const auto hooks = group.find("hooks");
    return hooks != group.end() && hooks->is_array() && std::any_of(hooks->begin(), hooks->end(), isOurHook);
}

// Removes our hooks from a hook event's list of groups. A group shared with the user's own
// hooks keeps theirs; a group is dropped only when nothing is left in it; anything else in
// the list stays as it is. True when something was removed.
bool removeOurHooks(json& groups) {
    if (std::none_of(groups.begin(), groups.end(), isQuorlixGroup)) return false;
    json kept = json::array();
    for (const json& group : groups) {
        if (!isQuorlixGroup(group)) {
            kept.push_back(group);
            continue;
        }
        json others = json::array();
        for (const json& hook : group["hooks"])
            if (!isOurHook(hook)) others.push_back(hook);
        if (others.empty()) continue;
        json shared = group;
        shared["hooks"] = std::move(others);
        kept.push_back(std::move(shared));
    }
    groups = std::move(kept);
    return true;
}

json ourGroup(const AgentService::ClaudeHook& row) {
    // Keys in sorted order, as a freshly written settings file has them.
    json hook = json::object();
    hook["command"] = AgentService::hookCommand(AgentKind::claude, row.event);
    hook["type"] = "command";
    json group = json::object();
    group["hooks"] = json::array({hook});
    if (!row.matcher.empty()) group["matcher"] = row.matcher;
    return group;
}

// --- Codex configuration ----------------------------------------------------------------

// The line earlier versions wrote, which posted through notifyutil.
constexpr std::string_view notifyutilCodexLine =
    R"(notify = ["/usr/bin/notifyutil", "-p", "com.halvik.quorlix.agent.codex.done"])";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
    while (!line.empty() && isSpace(line.back())) line.remove_suffix(1);
    return line;
}

// Split at every line feed; joining with line feeds gives the text back.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        const auto feed = text.find('\n');
        lines.push_back(text.substr(0, feed));
        if (feed == std::string_view::npos) return lines;
        text.remove_prefix(feed + 1);
    }
}

std::string joinLines(const std::vector<std::string_view>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

// A line that sets `notify`: white space, "notify", white space, "=".
bool isNotifyLine(std::string_view line) {
    line = trimmed(line);
    if (!line.starts_with("notify")) return false;
    line.remove_prefix(6);
    while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
    return line.starts_with('=');
}

bool isKnownCodexLine(std::string_view line) {
    line = trimmed(line);
    return line == AgentService::codexLine() || line == notifyutilCodexLine;
}

// A byte-order mark stays the file's first bytes.
std::pair<std::string_view, std::string_view> splitByteOrderMark(std::string_view text) {
    if (text.starts_with(byteOrderMark)) return {text.substr(0, 3), text.substr(3)};
    return {{}, text};
}

}  // namespace

bool AgentService::isOurs(std::string_view text) {
    return std::any_of(markers.begin(), markers.end(), [text](std::string_view marker) {
        return text.find(marker) != std::string_view::npos;
    });
}

std::string AgentService::hookCommand(AgentKind kind, std::string_view event) {
    return platform::agentPostCommand(notificationName(kind, event));
}

std::string AgentService::codexLine() {
    return R"(notify = ["/bin/sh", "-c", ")" + hookCommand(AgentKind::codex, "done") + R"("])";
}

fs::path AgentService::claudeSettingsPath() { return platform::Paths::home() / ".claude" / "settings.json"; }

fs::path AgentService::codexConfigPath() { return platform::Paths::home() / ".codex" / "config.toml"; }

fs::path AgentService::backupPath(const fs::path& file) {
    fs::path copy = file;
    copy += ".antes-de-quorlix";
    return copy;
}

void AgentService::refreshConnections() {
    const auto update = [](Published<bool>& flag, bool value) {
        if (flag.get() != value) flag = value;
    };
    const auto claude = readUserText(claudeSettingsPath());
    update(claudeConnected, claude.text && isOurs(*claude.text));
    const auto codex = readUserText(codexConfigPath());
    update(codexConnected, codex.text && isOurs(*codex.text));
}

void AgentService::editFailed(std::string_view file, std::string_view reason) {
    lastError = editError(file, reason);
    refreshConnections();
}

void AgentService::connectClaude() {
    const fs::path path = claudeSettingsPath();
    const auto fail = [this](std::string_view reason) { editFailed(claudeFileName, reason); };
    const auto read = readJSON(path);
    if (!read.object) return fail(*read.error);

    json settings = *read.object;
    json hooks = json::object();
    if (const auto it = settings.find("hooks"); it != settings.end()) {
        if (!it->is_object()) return fail("\"hooks\" no es un objeto JSON");
        hooks = *it;
    }
    for (const ClaudeHook& row : claudeHooks) {
        const std::string event(row.hookEvent);
        json groups = json::array();
        if (const auto it = hooks.find(event); it != hooks.end()) {
            if (!it->is_array()) return fail("\"hooks." + event + "\" no es una lista JSON");
            groups = *it;
        }
        removeOurHooks(groups);
        groups.push_back(ourGroup(row));
        hooks[event] = std::move(groups);
    }
    settings["hooks"] = std::move(hooks);

    if (settings != *read.object) {
        if (const auto error = backup(path)) return fail(backupError(*error));
        if (const auto error = writeJSON(settings, path)) return fail(*error);
    }
    lastError = std::nullopt;
    refreshConnections();
}

void AgentService::disconnectClaude() {
    const fs::path path = claudeSettingsPath();
    auto read = readJSON(path);
    if (!read.object) return editFailed(claudeFileName, *read.error);
    json& settings = *read.object;
    const auto found = settings.find("hooks");
    if (found == settings.end() || !found->is_object()) return refreshConnections();

    json& hooks = *found;
    bool removed = false;
    for (auto event = hooks.begin(); event != hooks.end();) {
        if (event->is_array() && removeOurHooks(*event)) {
            removed = true;
            if (event->empty()) {
                event = hooks.erase(event);
                continue;
            }
        }
        ++event;
    }
    if (!removed) return refreshConnections();
    if (hooks.empty()) settings.erase("hooks");
    if (const auto error = writeJSON(settings, path)) return editFailed(claudeFileName, *error);
    refreshConnections();
}

void AgentService::connectCodex() {
    const fs::path path = codexConfigPath();
    const auto fail = [this](std::string_view reason) { editFailed(codexFileName, reason); };
    const auto file = readUserText(path);
    if (file.error) return fail(*file.error);
    const std::string text = file.text.value_or("");
    if (isOurs(text)) {
        lastError = std::nullopt;
        return refreshConnections();
    }
    const auto [mark, body] = splitByteOrderMark(text);
    const auto lines = splitLines(body);
    if (std::any_of(lines.begin(), lines.end(), isNotifyLine)) {
        lastError = std::string(notifyRefusal);
        return;
    }
    if (const auto error = backup(path)) return fail(backupError(*error));
    const std::string updated = std::string(mark) + codexLine() + "\n" + std::string(body);
    if (const auto error = writeUserFile(path, updated)) return fail(*error);
    lastError = std::nullopt;
    refreshConnections();
}

void AgentService::disconnectCodex() {
    const fs::path path = codexConfigPath();
    const auto file = readUserText(path);
    if (file.error) return editFailed(codexFileName, *file.error);
    if (!file.text) return refreshConnections();

    const auto [mark, body] = splitByteOrderMark(*file.text);
    std::vector<std::string_view> kept;
    bool removed = false;
    bool strays = false;
    for (const std::string_view line : splitLines(body)) {
        if (isKnownCodexLine(line)) {
            removed = true;
            continue;
        }
        // A line of ours we do not know exactly may be part of something of the user's.
        if (isOurs(line)) strays = true;
        kept.push_back(line);
    }
    if (removed) {
        if (const auto error = writeUserFile(path, std::string(mark) + joinLines(kept)))
            return editFailed(codexFileName, *error);
    }
    if (strays) lastError = std::string(codexStrayLines);
    refreshConnections();
}

void AgentService::upgradeOldHooks() {
    // Claude: hooks of the URL form, or sets lacking a row added since, become the current six.
    const auto claude = readUserText(claudeSettingsPath());
    if (claude.text && isOurs(*claude.text)) {
        const std::string_view text = *claude.text;
        const bool outdated =
            text.find(oldMarker) != std::string_view::npos ||
            text.find(notificationName(AgentKind::claude, "input")) == std::string_view::npos ||
            text.find("PermissionRequest") == std::string_view::npos ||
            text.find("SessionEnd") == std::string_view::npos;
        if (outdated) connectClaude();
    }

    // Codex: lines of the URL form give way to the current line.
    const fs::path path = codexConfigPath();
    const auto codex = readUserText(path);
    if (!codex.text || codex.text->find(oldMarker) == std::string::npos) return;
    const auto [mark, body] = splitByteOrderMark(*codex.text);
    std::vector<std::string_view> kept;
    for (const std::string_view line : splitLines(body))
        if (line.find(oldMarker) == std::string_view::npos) kept.push_back(line);
    // The copy must hold the file as the user left it, before this first change.
    if (backup(path)) return;
    if (writeUserFile(path, std::string(mark) + joinLines(kept))) return;
    connectCodex();
}

}  // namespace quorlix
