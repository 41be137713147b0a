#include "platform/user_defaults.h"

#include "platform/atomic_file.h"
#include "platform/base64.h"
#include "platform/clock.h"
#include "platform/json_reader.h"
#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/serial_queue.h"
#include "platform/url_query.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {
std::unique_ptr<UserDefaults> standardInstance;

constexpr const char* dataTag = "$data";

// The platform's string-to-Boolean rule: after blanks, an optional sign and leading zeros,
// "Y", "y", "T", "t" or a digit 1-9 means true.
bool stringIsTrue(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && s[i] == '0') ++i;
    if (i >= s.size()) return false;
    const char c = s[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::string timestampForFileName() {
    const auto t = static_cast<std::time_t>(Clock::shared().date().secondsSince1970);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Where a write in place keeps the whole new contents until it has ended: beside the link, in
// the settings' own folder. A load finds it there after a crash and takes it instead.
fs::path pendingCopy(const fs::path& file) {
    // Built with append: GCC 12 at -O3 misreads "." + a string as an overlapping copy.
    std::string name = ".";
    name.append(file.filename().string()).append(".pending");
    return file.parent_path() / name;
}

// Where a damaged file is kept, beside it, for the user to look at.
fs::path asideName(const fs::path& damaged) {
    return damaged.string() + ".corrupt-" + timestampForFileName();
}

bool isLater(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// What writes of the settings that a kill cut short left: the temporary files beside the
// file, its pending copy and, for a link, the file it names.
void removeLeftoverWrites(const fs::path& file) {
    removeLeftoverTemporaries(file);
    removeLeftoverTemporaries(pendingCopy(file));
    if (const auto target = resolveSymlinks(file); target && *target != file)
        removeLeftoverTemporaries(*target);
}

// The file a settings link names, when only its folder refuses new files (the temporary file
// of an atomic write) and the file itself may be written.
std::optional<fs::path> writableInPlace(const fs::path& file) {
    const auto target = resolveSymlinks(file);
    if (!target || *target == file) return std::nullopt;
    struct stat info {};
    if (::stat(target->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const fs::path folder = target->parent_path();
    if (::access(folder.c_str(), W_OK) == 0 || ::access(target->c_str(), W_OK) != 0) return std::nullopt;
    return target;
}

// Overwrites `target` with the whole contents kept first in the pending copy (which goes once
// the file holds them): a reader never takes a file cut short for the settings.
std::optional<std::string> writeInPlace(const fs::path& file, const fs::path& target,
                                        std::string_view contents) {
    const fs::path copy = pendingCopy(file);
    if (auto error = writeFileAtomically(copy, contents, {.newFileMode = fs::perms(0600)})) return error;
    return overwriteFile(target, contents);
}

// Nesting a value may have: the file's object holds it, one level more.
constexpr std::size_t maxValueDepth = JSONReadOptions{}.maxDepth - 1;

// Raised while the text is turned out once it passes the limit: nothing more of it is needed.
struct TooLarge {};

// The file's text for `values`, as `writeJSON` of them as one object with an indent of 2 gives
// it, and a line's end; nothing when it would pass `limit` bytes. Each value is written where
// it stands, so the text is the only copy made. `expected` is the size the text is likely to
// reach (the last one's).
std::optional<std::string> settingsText(const auto& values, std::size_t limit, std::size_t expected) {
    std::string text;
    text.reserve(std::min(limit, expected + expected / 8 + 4096));
    const auto check = [&] {
        if (text.size() > limit) throw TooLarge{};
    };
    if (values.empty()) {
        text = "{}\n";
    } else {
        text = "{\n";
        for (std::size_t i = 0; i < values.size(); ++i) {
            text += "  ";
            appendJSON(text, UserDefaults::Value(values[i].first), 2, 2);
            text += ": ";
            appendJSON(text, *values[i].second, 2, 2);
            text += i + 1 < values.size() ? ",\n" : "\n";
            check();
        }
        text += "}\n";
    }
    if (text.size() > limit) return std::nullopt;
    return text;
}

std::optional<std::string> numberText(const UserDefaults::Value& v) {
    if (v.is_number_integer()) return std::to_string(v.get<std::int64_t>());
    if (v.is_number_float()) {
        const double d = v.get<double>();
        // Shortest form that reads back as the same number, like the platform's.
        for (int precision = 1; precision <= 17; ++precision) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*g", precision, d);
            if (std::strtod(buf, nullptr) == d) return std::string(buf);
        }
    }
    return std::nullopt;
}
}  // namespace

// Turns the domain's values into text and writes the file, on a thread of its own. A write
// asked for while one is waiting replaces it, so a burst of changes ends in one or two writes
// of the newest values. A failure, contents too large, and a file written in place are kept
// for the main thread to log.
class UserDefaults::Writer {
public:
    // `expected`: the size of the file's text as loaded, which the first write's comes near.
    explicit Writer(std::size_t expected) : lastSize_(expected) {}
    ~Writer() { flush(); }

    void write(fs::path file, Entries values, std::size_t limit, std::shared_ptr<const Value> released) {
        // The snapshot replaced goes once the lock is let go: the last hold on an older value
        // may be its.
        Request replaced;
        {
            std::lock_guard lock(mutex_);
            replaced = std::exchange(next_, Request{std::move(file), std::move(values), limit, {}});
            // Kept until a write has taken it: whichever write that is lets it go.
            if (released) next_.released.push_back(std::move(released));
            std::move(replaced.released.begin(), replaced.released.end(), std::back_inserter(next_.released));
            replaced.released.clear();
            if (queued_) return;
            queued_ = true;
        }
        queue_.async([this] { writeNext(); });
    }
    void flush() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !queued_ && !writing_; });
    }
    // The last failure since the last look, and whether the last write failed (none: no write).
    std::pair<std::optional<std::string>, std::optional<bool>> takeOutcome() {
        std::lock_guard lock(mutex_);
        return {std::exchange(error_, std::nullopt), std::exchange(lastFailed_, std::nullopt)};
    }
    // Whether contents were left unwritten since the last look, for passing the limit.
    bool takeTooLarge() {
        std::lock_guard lock(mutex_);
        return std::exchange(tooLarge_, false);
    }
    // The file last written in place, if one was since the last look.
    std::optional<fs::path> takeWrittenInPlace() {
        std::lock_guard lock(mutex_);
        return std::exchange(inPlace_, std::nullopt);
    }

private:
    struct Request {
        fs::path file;
        Entries values;
        std::size_t limit = 0;
        // Values the domain no longer holds, to go off the main thread.
        std::vector<std::shared_ptr<const Value>> released;
    };

    void writeNext() {
        Request request;
        {
            std::lock_guard lock(mutex_);
            request = std::move(next_);
            queued_ = false;
            writing_ = true;
        }
        std::optional<std::string> error;
        std::optional<fs::path> target;
        bool tooLarge = false;
        // A file the next start would take for damaged is not written: the last one stays.
        std::optional<std::string> text;
        try {
            text = settingsText(request.values, request.limit, lastSize_);
            tooLarge = !text;
        } catch (const TooLarge&) {
            tooLarge = true;
        } catch (const std::exception&) {
            // The values were checked when set; only memory can run out here.
            error = "no se pudo escribir " + request.file.string();
        }
        // The values this write alone held go here, off the main thread.
        request.values.clear();
        request.released.clear();
        if (text) {
            lastSize_ = text->size();
            // A settings file that links elsewhere (a user's dotfiles) stays a link: what it
            // names is replaced.
            error = writeFileAtomically(request.file, *text, {.followSymlinks = true});
            // Where only the named file's folder refuses the temporary file, it is written over.
            target = error ? writableInPlace(request.file) : std::nullopt;
            if (target) error = writeInPlace(request.file, *target, *text);
            // The copy of a write in place cut short is done with once the file holds them whole.
            if (!error) ::unlink(pendingCopy(request.file).c_str());
        }
        text.reset();
        {
            std::lock_guard lock(mutex_);
            writing_ = false;
            if (tooLarge) {
                tooLarge_ = true;
            } else {
                lastFailed_ = error.has_value();
                if (error) error_ = std::move(error);
                if (target && !error) inPlace_ = target;
            }
        }
        idle_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable idle_;
    Request next_;
    // The size of the last text, which the next one is likely to come near: this thread's own.
    std::size_t lastSize_ = 0;
    bool tooLarge_ = false;
    bool queued_ = false;
    bool writing_ = false;
    std::optional<std::string> error_;
    std::optional<bool> lastFailed_;
    std::optional<fs::path> inPlace_;
    // Last: its thread stops before the state it uses goes.
    ThreadSerialQueue queue_;
};

UserDefaults::UserDefaults(std::string domain, std::size_t fileSizeLimit)
    : domain_(std::move(domain)), fileSizeLimit_(fileSizeLimit) {
    load();
}

UserDefaults::~UserDefaults() { flush(); }

void UserDefaults::flush() {
    if (!writer_) return;
    writer_->flush();
    tellWrites();
}

void UserDefaults::tellWrites() {
    // Once until a write succeeds again: a lasting failure would otherwise fill the log, one
    // line a change (each naming a temporary file of its own).
    const auto [error, lastFailed] = writer_->takeOutcome();
    if (error && !failing_) KeyLog::write("Ajustes: " + *error);
    if (lastFailed) failing_ = *lastFailed;
    if (writer_->takeTooLarge() && !std::exchange(toldTooLarge_, true))
        KeyLog::write("Ajustes: demasiados datos para " + file().string() + "; los cambios no se guardarán");
    if (const auto target = writer_->takeWrittenInPlace(); target && !std::exchange(toldInPlace_, true)) {
        KeyLog::write("Ajustes: la carpeta de " + target->string() +
                      " no admite archivos nuevos; los ajustes se escriben sobre el archivo mismo");
    }
}

UserDefaults& UserDefaults::standard() {
    if (!standardInstance) standardInstance = std::make_unique<UserDefaults>(applicationDomain);
    return *standardInstance;
}

void UserDefaults::resetStandard() { standardInstance.reset(); }

fs::path UserDefaults::file() const { return Paths::defaultsFile(domain_); }

UserDefaults::Entries::iterator UserDefaults::findStored(const std::string& key) {
    return std::find_if(stored_.begin(), stored_.end(),
                        [&](const auto& entry) { return entry.first == key; });
}

UserDefaults::Entries::const_iterator UserDefaults::findStored(const std::string& key) const {
    return std::find_if(stored_.begin(), stored_.end(),
                        [&](const auto& entry) { return entry.first == key; });
}

UserDefaults::Value UserDefaults::storedValues() const {
    Value values = Value::object();
    for (const auto& [key, value] : stored_) values[key] = *value;
    return values;
}

std::optional<UserDefaults::Value> UserDefaults::persistentDomain(const std::string& name) {
    const auto text = readFile(Paths::defaultsFile(name), maxFileSize);
    if (!text) return std::nullopt;
    auto parsed = readJSON(*text).value;
    if (!parsed || !parsed->is_object()) return std::nullopt;
    return parsed;
}

void UserDefaults::load() {
    const fs::path path = file();
    removeLeftoverWrites(path);
    if (takePendingCopy(path)) return;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        // A link that goes round in a loop, or a folder on the way that cannot be looked in.
        if (ec) {
            writable_ = false;
            KeyLog::write("Ajustes: no se pudo seguir " + path.string() + " (" + ec.message() +
                          "); los cambios no se guardarán");
        }
        return;
    }
    const auto text = readFile(path, fileSizeLimit_);
    // Past the limit no settings this program writes ever come: never read whole.
    const bool tooLarge =
        !text && fs::is_regular_file(path, ec) && fs::file_size(path, ec) > fileSizeLimit_ && !ec;
    if (!text && !tooLarge) {
        // Unreadable (permissions, I/O): never write over what we could not read.
        writable_ = false;
        KeyLog::write("Ajustes: no se pudo leer " + path.string() + "; los cambios no se guardarán");
        return;
    }
    // Nested too deep to be written back counts as damaged too.
    auto parsed = text ? readJSON(*text).value : std::nullopt;
    if (parsed && parsed->is_object()) {
        keep(std::move(*parsed), text->size());
        return;
    }
    // The file itself is moved aside, not a link naming it: the link stays for the next write.
    const fs::path damaged = resolveSymlinks(path).value_or(path);
    const fs::path aside = asideName(damaged);
    fs::rename(damaged, aside, ec);
    if (ec) {
        writable_ = false;
        KeyLog::write("Ajustes: " + path.string() + " está dañado y no se pudo apartar (" + ec.message() +
                      "); los cambios no se guardarán");
    } else {
        KeyLog::write("Ajustes: " + path.string() + " estaba dañado; apartado como " + aside.string());
    }
}

bool UserDefaults::takePendingCopy(const fs::path& path) {
    const fs::path copy = pendingCopy(path);
    struct stat copyInfo {};
    if (::stat(copy.c_str(), &copyInfo) != 0) return false;
    const auto copyText = readFile(copy, fileSizeLimit_);
    auto pending = copyText ? readJSON(*copyText).value : std::nullopt;
    if (!pending || !pending->is_object()) {
        // Of no use, but kept for the user like a damaged file: the file stands.
        std::error_code ec;
        const fs::path aside = asideName(copy);
        fs::rename(copy, aside, ec);
        if (!ec)
            KeyLog::write("Ajustes: la copia " + copy.string() + " estaba dañada; apartada como " +
                          aside.string());
        return false;
    }
    // The file got a complete write after the copy (edited by hand, synced from elsewhere): it
    // stands, and the copy, older, goes. A file cut short, missing or older yields to the copy.
    struct stat fileInfo {};
    if (::stat(path.c_str(), &fileInfo) == 0 && isLater(fileInfo.st_mtim, copyInfo.st_mtim)) {
        const auto text = readFile(path, fileSizeLimit_);
        auto parsed = text ? readJSON(*text).value : std::nullopt;
        if (parsed && parsed->is_object()) {
            if (*parsed != *pending)
                KeyLog::write("Ajustes: " + path.string() +
                              " cambió después de la última escritura; se descartó la copia anterior");
            ::unlink(copy.c_str());
            keep(std::move(*parsed), text->size());
            return true;
        }
    }
    // A write in place that did not end: its copy holds the newest settings whole, and is
    // written again.
    keep(std::move(*pending), copyText->size());
    KeyLog::write("Ajustes: se recuperó la última escritura de " + path.string());
    save();
    return true;
}

void UserDefaults::keep(Value&& values, std::size_t textSize) {
    loadedSize_ = textSize;
    stored_.clear();
    editable_.clear();
    for (auto& [key, value] : values.items()) {
        auto made = std::make_shared<Value>(std::move(value));
        editable_[key] = made;
        stored_.emplace_back(key, std::move(made));
    }
}

void UserDefaults::save(std::shared_ptr<const Value> replaced) {
    if (!writable_) return;
    // The first write's text is made in room for the whole, not grown to it: grown by doubling,
    // the text of a large file would take three times its size while it is copied.
    if (!writer_) writer_ = std::make_unique<Writer>(loadedSize_);
    // What came of earlier writes is told now, on the main thread.
    tellWrites();
    // A snapshot: the keys, and the values shared. A replaced value this domain alone held (a
    // large tray's last addresses) goes with the write, off the main thread.
    writer_->write(file(), stored_, fileSizeLimit_, std::move(replaced));
}

void UserDefaults::registerDefaults(const Value& values) {
    if (!values.is_object()) return;
    for (auto it = values.begin(); it != values.end(); ++it) registered_[it.key()] = it.value();
}

bool UserDefaults::setObject(const std::string& key, Value value) {
    auto made = std::make_shared<Value>(std::move(value));
    if (!setObject(key, made)) return false;
    editable_[key] = std::move(made);
    return true;
}

namespace {
// A value the file cannot hold (text that is not UTF-8, nesting too deep once in the file's
// object) is refused before it is stored, so that it never stands in the way of later writes.
bool refusesUnwritable(const std::string& key, const UserDefaults::Value& value) {
    if (isWritable(value, maxValueDepth) && isWritable(UserDefaults::Value(key))) return false;
    KeyLog::write("Ajustes: no se guardó «" + percentEncode(key) + "»: el valor no se puede escribir");
    return true;
}
}  // namespace

bool UserDefaults::setObject(const std::string& key, std::shared_ptr<const Value> value) {
    if (!value || refusesUnwritable(key, *value)) return false;
    std::shared_ptr<const Value> replaced;
    if (auto it = findStored(key); it != stored_.end()) {
        replaced = std::exchange(it->second, std::move(value));
    } else {
        stored_.emplace_back(key, std::move(value));
    }
    save(std::move(replaced));
    return true;
}

bool UserDefaults::setBool(const std::string& key, bool value) { return setObject(key, Value(value)); }
bool UserDefaults::setInteger(const std::string& key, std::int64_t value) {
    return setObject(key, Value(value));
}
bool UserDefaults::setDouble(const std::string& key, double value) {
    // JSON has no non-finite numbers; such a value is stored as null and reads back as absent.
    return setObject(key, std::isfinite(value) ? Value(value) : Value(nullptr));
}
bool UserDefaults::setString(const std::string& key, const std::string& value) {
    return setObject(key, Value(value));
}
bool UserDefaults::setStringArray(const std::string& key, const std::vector<std::string>& value) {
    Value array = Value::array();
    array.get_ref<Value::array_t&>().reserve(value.size());
    for (const auto& s : value) array.push_back(s);
    return setObject(key, std::move(array));
}
bool UserDefaults::setData(const std::string& key, const Data& value) {
    return setObject(key, encodeData(value));
}

bool UserDefaults::editArray(const std::string& key, std::optional<std::size_t> removed, const Value& added) {
    const auto it = findStored(key);
    if (it == stored_.end() || !it->second->is_array() || !added.is_array() ||
        (removed && *removed >= it->second->size()) || refusesUnwritable(key, added))
        return false;
    std::shared_ptr<Value> array = editable_[key].lock();
    std::shared_ptr<const Value> replaced;
    if (array && array == it->second && array.use_count() == 2) {
        // Held by the domain and here alone: no snapshot reads it any longer. The fence puts the
        // writing thread's last reads, made before it let go of its hold, before these changes.
        std::atomic_thread_fence(std::memory_order_acquire);
    } else {
        array = std::make_shared<Value>(*it->second);
        editable_[key] = array;
        replaced = std::exchange(it->second, array);
    }
    if (removed) array->erase(*removed);
    for (const auto& element : added) array->push_back(element);
    save(std::move(replaced));
    return true;
}

void UserDefaults::removeObject(const std::string& key) {
    if (auto it = findStored(key); it != stored_.end()) {
        auto replaced = std::move(it->second);
        stored_.erase(it);
        save(std::move(replaced));
    }
}

const UserDefaults::Value* UserDefaults::lookUp(const std::string& key) const {
    if (auto it = findStored(key); it != stored_.end() && !it->second->is_null()) return it->second.get();
    if (auto it = registered_.find(key); it != registered_.end() && !it->is_null()) return &*it;
    return nullptr;
}

std::optional<UserDefaults::Value> UserDefaults::object(const std::string& key) const {
    if (const Value* v = lookUp(key)) return *v;
    return std::nullopt;
}

std::shared_ptr<const UserDefaults::Value> UserDefaults::storedObject(const std::string& key) const {
    auto it = findStored(key);
    return it != stored_.end() ? it->second : nullptr;
}

bool UserDefaults::hasStoredValue(const std::string& key) const {
    auto it = findStored(key);
    return it != stored_.end() && !it->second->is_null();
}

bool UserDefaults::boolForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    if (!v) return false;
    if (v->is_boolean()) return v->get<bool>();
    if (v->is_number_integer()) return v->get<std::int64_t>() != 0;
    if (v->is_number_float()) return v->get<double>() != 0;
    if (v->is_string()) return stringIsTrue(v->get<std::string>());
    return false;
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    if (!v) return 0;
    if (v->is_boolean()) return v->get<bool>() ? 1 : 0;
    if (v->is_number_integer()) return v->get<std::int64_t>();
    if (v->is_number_float()) {
        const double d = v->get<double>();
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return 0;
        return static_cast<std::int64_t>(d);
    }
    if (v->is_string()) return std::strtoll(v->get<std::string>().c_str(), nullptr, 10);
    return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    if (!v) return 0;
    if (v->is_boolean()) return v->get<bool>() ? 1 : 0;
    if (v->is_number()) return v->get<double>();
    if (v->is_string()) return std::strtod(v->get<std::string>().c_str(), nullptr);
    return 0;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    if (!v) return std::nullopt;
    if (v->is_string()) return v->get<std::string>();
    if (v->is_boolean()) return std::string(v->get<bool>() ? "1" : "0");
    return numberText(*v);
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    if (!v || !v->is_array()) return std::nullopt;
    std::vector<std::string> out;
    out.reserve(v->size());
    for (const auto& e : *v) {
        if (!e.is_string()) return std::nullopt;
        out.push_back(e.get<std::string>());
    }
    return out;
}

std::optional<UserDefaults::Data> UserDefaults::dataForKey(const std::string& key) const {
    const Value* v = lookUp(key);
    return v ? decodeData(*v) : std::nullopt;
}

UserDefaults::Value UserDefaults::encodeData(const Data& data) {
    Value out = Value::object();
    out[dataTag] = encodeBase64(data);
    return out;
}

std::optional<UserDefaults::Data> UserDefaults::decodeData(const Value& value) {
    if (!value.is_object() || value.size() != 1 || !value.contains(dataTag) || !value[dataTag].is_string()) {
        return std::nullopt;
    }
    return decodeBase64(value[dataTag].get<std::string>());
}

}  // namespace quorlix::platform
