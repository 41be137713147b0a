#include "platform/linux/desktop_entry.h"

#include "platform/atomic_file.h"

#include <cstdlib>
#include <sstream>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// The escapes of a value: \s, \n, \t, \r and \\.
std::string unescapeValue(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char c = v[++i];
        switch (c) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += c;
        }
    }
    return out;
}

std::vector<fs::path> dataDirectories() {
    std::vector<fs::path> dirs;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home) {
        dirs.emplace_back(home);
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        dirs.push_back(fs::path(h) / ".local/share");
    }
    std::string list = "/usr/local/share:/usr/share";
    if (const char* system = std::getenv("XDG_DATA_DIRS"); system && *system) list = system;
    std::stringstream stream(list);
    for (std::string dir; std::getline(stream, dir, ':');) {
        if (!dir.empty()) dirs.emplace_back(dir);
    }
    return dirs;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    DesktopEntry entry;
    bool inGroup = false;
    bool seen = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            seen = seen || inGroup;
            continue;
        }
        if (!inGroup) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const auto key = trim(line.substr(0, eq));
        const auto value = unescapeValue(trim(line.substr(eq + 1)));
        if (key == "Name") entry.name = value;
        if (key == "Exec") entry.exec = value;
        if (key == "Icon") entry.icon = value;
    }
    if (!seen) return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const fs::path& file) {
    const auto text = readFile(file, maxFileSize);
    if (!text) return std::nullopt;
    return parse(*text);
}

std::optional<fs::path> DesktopEntry::find(const std::string& desktopID) {
    if (desktopID.empty() || desktopID.find('/') != std::string::npos) return std::nullopt;
    for (const auto& dir : dataDirectories()) {
        const fs::path candidate = dir / "applications" / desktopID;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> DesktopEntry::command() const {
    // Split into arguments, undoing double quotes (inside them a backslash escapes the next
    // character).
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                word += exec[++i];
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));

    // Field codes stand for files, addresses and the like that we never pass.
    std::vector<std::string> out;
    for (const auto& w : words) {
        std::string expanded;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '%' || i + 1 == w.size()) {
                expanded += w[i];
            } else if (w[++i] == '%') {
                expanded += '%';
            }
        }
        const bool wasOnlyCode = expanded.empty() && !w.empty();
        if (!wasOnlyCode) out.push_back(std::move(expanded));
    }
    return out;
}

std::string DesktopEntry::execArgument(const fs::path& program) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    const std::string path = program.string();
    const bool quoted = path.empty() || path.find_first_of(reserved) != std::string::npos;
    std::string argument = quoted ? "\"" : "";
    for (const char c : path) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
        if (c == '%') argument += '%';
        argument += c;
    }
    if (quoted) argument += '"';
    std::string value;
    for (const char c : argument) {
        switch (c) {
            case '\\': value += "\\\\"; break;
            case '\n': value += "\\n"; break;
            case '\t': value += "\\t"; break;
            case '\r': value += "\\r"; break;
            default: value += c;
        }
    }
    return value;
}

}  // namespace quorlix::platform
