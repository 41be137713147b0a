// The hook entries of AgentService in the agents' own configuration files: Claude Code's
// JSON settings, where each hook event holds a list of groups of commands, and Codex's TOML
// configuration, where one top-level `notify` line names the program run at the end of a
// turn. Everything here runs on the main thread, synchronously.

#include "platform/atomic_file.h"
#include "platform/json_reader.h"
#include "platform/paths.h"
#include "services/agent_service.h"

#include <unicode/utf8.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
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

// No agent's configuration comes near this; a larger file is not read at all.
constexpr std::uintmax_t maxFileSize = 8 * 1024 * 1024;

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
    if (fs::file_size(path, ec) > maxFileSize && !ec) return {std::nullopt, "el archivo es demasiado grande"};
    auto text = platform::readFile(path);
    if (!text) {
        const std::string reason =
            ::access(path.c_str(), R_OK) != 0 ? std::strerror(errno) : "error de lectura";
        return {std::nullopt, "no se pudo leer: " + reason};
    }
    if (!isValidUTF8(*text)) return {std::nullopt, "el archivo no es texto UTF-8"};
    return {std::move(text), std::nullopt};
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

// A file its owner made read-only, or that this user may not write, is not replaced (an
// atomic write would replace it whatever its mode).
std::optional<std::string> refuseReadOnly(const fs::path& path) {
    const auto target = platform::resolveSymlinks(path);
    struct stat info {};
    if (!target || ::stat(target->c_str(), &info) != 0) return std::nullopt;  // a new file
    if ((info.st_mode & S_IWUSR) == 0 || ::access(target->c_str(), W_OK) != 0)
        return "el archivo es de solo lectura";
    return std::nullopt;
}

enum class Backup { none, first };

// Replaces the file the path names, through a symbolic link, keeping its mode; with
// `Backup::first`, after making the backup copy.
std::optional<std::string> writeUserFile(const fs::path& path, std::string_view text, Backup copy) {
    if (auto refusal = refuseReadOnly(path)) return refusal;
    if (copy == Backup::first) {
        if (const auto error = backup(path)) return backupError(*error);
    }
    return platform::writeFileAtomically(path, text, {.followSymlinks = true});
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

struct SettingsRead {
    std::optional<json> object;
    std::optional<std::string> error;
};

// A missing or empty file is an empty object; a file that cannot be read, is no JSON, is no
// object or holds what writing it back would change gives the reason.
SettingsRead readSettings(const fs::path& path) {
    using Failure = platform::JSONRead::Failure;
    const auto file = readUserText(path);
    if (file.error) return {std::nullopt, file.error};
    if (!file.text || file.text->empty()) return {json::object(), std::nullopt};
    auto read = platform::readJSON(*file.text, {.exact = true});
    switch (read.failure) {
        case Failure::none: break;
        case Failure::syntax:
            return {std::nullopt, "el archivo no es JSON válido " + positionText(*file.text, read.byte)};
        case Failure::tooDeep: return {std::nullopt, "el archivo anida demasiados niveles"};
        case Failure::numberTooLarge: return {std::nullopt, "el archivo tiene un número demasiado grande"};
        case Failure::integerTooLarge:
            return {std::nullopt, "el archivo tiene un número entero de más de 64 bits"};
        case Failure::repeatedKey: return {std::nullopt, "el archivo repite la clave «" + read.detail + "»"};
    }
    if (!read.value->is_object()) return {std::nullopt, "el archivo no es un objeto JSON"};
    return {std::move(read.value), std::nullopt};
}

std::optional<std::string> writeSettings(const json& object, const fs::path& path, Backup copy) {
    const auto text = platform::writeJSON(object, 2);
    if (!text) return "el contenido no es texto UTF-8";
    return writeUserFile(path, *text + "\n", copy);
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

// Whether the program a command line starts (its first word) cannot be found here: a path
// that is not executable, or a name on no folder of PATH.
bool runsMissingProgram(std::string_view command) {
    const auto start = command.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    const std::string program(command.substr(start, command.find_first_of(" \t", start) - start));
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) != 0;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const std::string folder(folders.substr(0, colon));
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return false;
        if (colon == std::string_view::npos) break;
        folders.remove_prefix(colon + 1);
    }
    return true;
}

// Hooks of ours written for another system (they post through a program this one lacks).
bool hasForeignHooks(const json& settings) {
    const auto hooks = settings.find("hooks");
    if (hooks == settings.end() || !hooks->is_object()) return false;
    for (const json& groups : *hooks) {
        if (!groups.is_array()) continue;
        for (const json& group : groups) {
            if (!isQuorlixGroup(group)) continue;
            for (const json& hook : group["hooks"]) {
                if (isOurHook(hook) && runsMissingProgram(hook["command"].get_ref<const std::string&>()))
                    return true;
            }
        }
    }
    return false;
}

// --- Codex configuration ----------------------------------------------------------------

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
    while (!line.empty() && isSpace(line.back())) line.remove_suffix(1);
    return line;
}

// A byte-order mark stays the file's first bytes.
std::pair<std::string_view, std::string_view> splitByteOrderMark(std::string_view text) {
    if (text.starts_with(byteOrderMark)) return {text.substr(0, 3), text.substr(3)};
    return {{}, text};
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

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// What follows the key `notify` (bare, "quoted" or 'quoted') at the start of a line, or
// nothing when the line starts with another key.
std::optional<std::string_view> afterNotifyKey(std::string_view line) {
    line = trimmed(line);
    for (const std::string_view key : {"notify", "\"notify\"", "'notify'"}) {
        if (!line.starts_with(key)) continue;
        std::string_view rest = line.substr(key.size());
        while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
        if (rest.starts_with('=') || rest.starts_with('.')) return rest;
    }
    return std::nullopt;
}

// A line that sets `notify`, or a key under it ("notify.x = 1" makes it a table): either way
// a second `notify` would make the file invalid.
bool isNotifyLine(std::string_view line) { return afterNotifyKey(line).has_value(); }

// The value of a `notify = ...` line: what follows the equals sign.
std::optional<std::string_view> notifyValue(std::string_view line) {
    const auto rest = afterNotifyKey(line);
    if (!rest || !rest->starts_with('=')) return std::nullopt;
    return rest->substr(1);
}

// A TOML array of strings, which may span lines.
struct StringArray {
    std::vector<std::string> strings;
    // Where the line holding the closing bracket ends (its line feed, or the end of the text).
    std::size_t lineEnd = 0;
    // Nothing but the array: no comment inside or after it.
    bool alone = true;
};

// Reads the array of strings that starts at `at` (white space first). Nothing when there is
// none, or it holds anything but one-line strings, or the closing line goes on after it.
std::optional<StringArray> readStringArray(std::string_view text, std::size_t at) {
    StringArray array;
    std::size_t i = at;
    const auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) ++i;
    };
    // White space, line breaks and comments between the elements.
    const auto skipSpace = [&] {
        while (i < text.size()) {
            if (isSpace(text[i]) || text[i] == '\n') {
                ++i;
            } else if (text[i] == '#') {
                array.alone = false;
                while (i < text.size() && text[i] != '\n') ++i;
            } else {
                return;
            }
        }
    };
    const auto readString = [&]() -> std::optional<std::string> {
        const char quote = text[i++];
        if (text.substr(i, 2) == std::string(2, quote)) return std::nullopt;  // multi-line string
        std::string value;
        while (i < text.size() && text[i] != quote) {
            if (text[i] == '\n') return std::nullopt;
            if (quote == '\'' || text[i] != '\\') {
                value += text[i++];
                continue;
            }
            if (++i >= text.size()) return std::nullopt;
            static constexpr std::string_view escapes = "btnfr\"\\", meanings = "\b\t\n\f\r\"\\";
            const auto known = escapes.find(text[i]);
            if (known == std::string_view::npos) return std::nullopt;  // \u and the rest: not ours
            value += meanings[known];
            ++i;
        }
        if (i >= text.size()) return std::nullopt;
        ++i;
        return value;
    };

    skipBlanks();
    if (i >= text.size() || text[i] != '[') return std::nullopt;
    ++i;
    for (bool expectValue = true;;) {
        skipSpace();
        if (i >= text.size()) return std::nullopt;
        if (text[i] == ']') {
            ++i;
            break;
        }
        if (expectValue && (text[i] == '"' || text[i] == '\'')) {
            auto value = readString();
            if (!value) return std::nullopt;
            array.strings.push_back(std::move(*value));
            expectValue = false;
        } else if (!expectValue && text[i] == ',') {
            ++i;
            expectValue = true;
        } else {
            return std::nullopt;
        }
    }
    skipBlanks();
    if (i < text.size() && text[i] == '#') {
        array.alone = false;
        while (i < text.size() && text[i] != '\n') ++i;
    }
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] != '\n') return std::nullopt;
    array.lineEnd = i;
    return array;
}

// The notify commands this service has written, on this platform or another.
bool isKnownCodexCommand(const std::vector<std::string>& command) {
    return command == std::vector<std::string>{"/bin/sh", "-c",
                                               AgentService::hookCommand(AgentKind::codex, "done")} ||
           command == std::vector<std::string>{"/usr/bin/notifyutil", "-p",
                                               AgentService::notificationName(AgentKind::codex, "done")};
}

// The notify command of earlier versions, which opened an agent address.
bool isOldCodexCommand(const std::vector<std::string>& command) {
    return std::any_of(command.begin(), command.end(),
                       [](const std::string& part) { return part.starts_with(AgentService::oldMarker); });
}

struct CodexEdit {
    std::string text;
    bool removed = false;
    // Lines left in place that still name us (`isStray`), such as a `notify` of ours with a
    // comment of the user's inside.
    bool strays = false;
};

// Removes every `notify` setting whose command `matches`, with all the lines it spans, when
// nothing else shares those lines. Every other line stays byte for byte.
template <class Matches, class IsStray>
CodexEdit removeNotify(std::string_view text, Matches matches, IsStray isStray) {
    const auto split = splitByteOrderMark(text);
    const std::string_view mark = split.first, body = split.second;
    const auto lines = splitLines(body);
    const auto offset = [body](std::string_view part) {
        return static_cast<std::size_t>(part.data() - body.data());
    };
    CodexEdit edit;
    std::vector<std::string_view> kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto value = notifyValue(lines[i]);
        const auto array = value ? readStringArray(body, offset(*value)) : std::nullopt;
        if (array && array->alone && matches(array->strings)) {
            while (offset(lines[i]) + lines[i].size() < array->lineEnd) ++i;  // to its last line
            edit.removed = true;
            continue;
        }
        edit.strays = edit.strays || isStray(lines[i]);
        kept.push_back(lines[i]);
    }
    edit.text = std::string(mark) + joinLines(kept);
    return edit;
}

bool isComment(std::string_view line) { return trimmed(line).starts_with('#'); }

// The text with our notify line put first, or nothing when it sets `notify` already.
std::optional<std::string> withCodexLine(std::string_view text) {
    const auto [mark, body] = splitByteOrderMark(text);
    const auto lines = splitLines(body);
    if (std::any_of(lines.begin(), lines.end(), isNotifyLine)) return std::nullopt;
    return std::string(mark) + AgentService::codexLine() + "\n" + std::string(body);
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
    const auto read = readSettings(path);
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
        if (const auto error = writeSettings(settings, path, Backup::first)) return fail(*error);
    }
    lastError = std::nullopt;
    refreshConnections();
}

void AgentService::disconnectClaude() {
    const fs::path path = claudeSettingsPath();
    auto read = readSettings(path);
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
    if (const auto error = writeSettings(settings, path, Backup::none))
        return editFailed(claudeFileName, *error);
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
    const auto updated = withCodexLine(text);
    if (!updated) {
        lastError = std::string(notifyRefusal);
        return;
    }
    if (const auto error = writeUserFile(path, *updated, Backup::first)) return fail(*error);
    lastError = std::nullopt;
    refreshConnections();
}

void AgentService::disconnectCodex() {
    const fs::path path = codexConfigPath();
    const auto file = readUserText(path);
    if (file.error) return editFailed(codexFileName, *file.error);
    if (!file.text) return refreshConnections();

    // A line of ours not known exactly may be part of something of the user's: it stays.
    const auto edit =
        removeNotify(*file.text, isKnownCodexCommand, [](std::string_view line) { return isOurs(line); });
    if (edit.removed) {
        if (const auto error = writeUserFile(path, edit.text, Backup::none))
            return editFailed(codexFileName, *error);
    }
    if (edit.strays) lastError = std::string(codexStrayLines);
    refreshConnections();
}

void AgentService::upgradeOldHooks() {
    // Claude: hooks of the URL form, hooks written for another system, or sets lacking a row
    // added since, become the current six.
    const auto claude = readUserText(claudeSettingsPath());
    if (claude.text && isOurs(*claude.text)) {
        const std::string_view text = *claude.text;
        const auto outdated = [&] {
            if (text.find(oldMarker) != std::string_view::npos ||
                text.find(notificationName(AgentKind::claude, "input")) == std::string_view::npos ||
                text.find("PermissionRequest") == std::string_view::npos ||
                text.find("SessionEnd") == std::string_view::npos) {
                return true;
            }
            const auto read = readSettings(claudeSettingsPath());
            return read.object && hasForeignHooks(*read.object);
        };
        if (outdated()) connectClaude();
    }

    // Codex: a notify of the URL form gives way to the current one. Only that setting goes,
    // whole; a comment or anything else that mentions the address stays.
    const fs::path path = codexConfigPath();
    const auto codex = readUserText(path);
    if (!codex.text || codex.text->find(oldMarker) == std::string::npos) return;
    const auto edit = removeNotify(*codex.text, isOldCodexCommand, [](std::string_view line) {
        return line.find(oldMarker) != std::string_view::npos && !isComment(line);
    });
    if (edit.strays) lastError = std::string(codexStrayLines);
    if (!edit.removed) return;
    // One write, so that the copy holds the file as the user left it. (Connecting could
    // take a comment that names us for a hook and add nothing.)
    const auto updated = withCodexLine(edit.text);
    if (!updated) lastError = std::string(notifyRefusal);
    writeUserFile(path, updated.value_or(edit.text), Backup::first);
    refreshConnections();
}

}  // namespace quorlix
