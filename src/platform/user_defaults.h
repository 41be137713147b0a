#pragma once
// A defaults domain: typed key/value settings kept in one JSON file per domain
// (`Paths::defaultsFile`), with a registered layer of fallbacks that is never written.
//
// Values read back with the type they were written with: Booleans, integers, doubles,
// strings, string lists (a one-element list stays a list) and data (bytes, kept as
// {"$data": "<base64>"}). Any other JSON value (a dictionary copied from another domain) is
// kept as it is. The typed readers convert as the platform's do: a Boolean from a number or
// a "YES"/"true" string, a double from a numeric string, a string from a number.
//
// Every change is in effect at once for this process and is written to the file off the main
// thread, atomically (temporary file, fsync, rename): changes that come faster than the disk
// takes them are written together, the newest contents only. The writing thread also turns the
// values into text, from a snapshot of them taken at the change: a value a snapshot or a caller
// holds is never changed in place, only replaced, so a snapshot shares the values and costs the
// main thread a copy of pointers, however large the settings (a tray of many files). A file that is a symbolic link stays
// one: the file it names is replaced, in its own folder. Where only that folder refuses new files, the file
// is written over in place, the whole new contents kept first in a copy beside the link, which a load takes
// instead after a crash (the file alone may then hold the new contents and the old ones' tail), unless the
// file got a newer complete write since (edited by hand, synced from another machine). A link that leads
// nowhere (a loop) is logged, and nothing is saved. `flush()` waits for what is still to be written (the
// application calls it when quitting, and destroying the domain does too). Temporary files that writes cut
// short by a kill left are removed by the next load. A file that cannot be parsed, is nested too deep to be
// written back or is larger than `maxFileSize` (never read whole), is moved aside with a log
// line and the domain starts empty; a file that cannot even be read is never overwritten
// (changes then stay in memory), nor are contents written that would pass `maxFileSize`. A
// failure that lasts is logged once, until a write succeeds again.
//
// Main thread only.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::platform {

class UserDefaults {
public:
    using Value = nlohmann::ordered_json;
    using Data = std::vector<std::uint8_t>;

    static constexpr const char* applicationDomain = "com.halvik.quorlix";
    // Settings take a few kilobytes, and the file tray's paths about 700 bytes a file (a long
    // name percent-encoded, three bytes a byte): a hundred thousand files in the tray come to
    // about 70 MB. A larger file is no settings this program wrote (it writes none larger), and
    // reading it would take the memory of its length: it is damaged.
    static constexpr std::size_t maxFileSize = 256 * 1024 * 1024;

    // `fileSizeLimit` stands for `maxFileSize` where a test wants a smaller one.
    explicit UserDefaults(std::string domain, std::size_t fileSizeLimit = maxFileSize);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The application's own domain, loaded on first use.
    static UserDefaults& standard();
    // Drops the standard instance, once its writes are on disk, so the next `standard()`
    // reloads it (tests use a fresh HOME per case; the application quits with it).
    static void resetStandard();

    // Waits until every change made so far is in the file.
    void flush();

    // The stored keys and values of another domain, or nothing when it has no file or the
    // file cannot be parsed. Never creates or changes anything.
    static std::optional<Value> persistentDomain(const std::string& name);

    const std::string& domain() const { return domain_; }
    std::filesystem::path file() const;

    // Fallbacks answered for keys that were never set; kept in memory only.
    void registerDefaults(const Value& values);

    // Each answers false, with a log line and nothing changed, for a value the file cannot
    // hold: text that is not UTF-8 (a file name may be any bytes), or nesting too deep.
    bool setBool(const std::string& key, bool value);
    bool setInteger(const std::string& key, std::int64_t value);
    bool setDouble(const std::string& key, double value);
    bool setString(const std::string& key, const std::string& value);
    bool setStringArray(const std::string& key, const std::vector<std::string>& value);
    bool setData(const std::string& key, const Data& value);
    // Any JSON value, stored unchanged (used to carry values over between domains).
    bool setObject(const std::string& key, Value value);
    // The same for a value its caller keeps too, and never changes: a large one is shared, not
    // copied (the tray's addresses).
    bool setObject(const std::string& key, std::shared_ptr<const Value> value);
    void removeObject(const std::string& key);
    // Changes the array stored under `key` at the cost of the change, not of the array (the
    // tray's addresses): takes out the element at `removed`, when given, then appends the
    // elements of the array `added`, and saves. The array is changed where it stands when nothing
    // else holds it (no write under way, no caller), else in a copy that takes its place. False,
    // with a log line for an element the file cannot hold and nothing changed, when the key holds
    // no array or `removed` is past its end.
    bool editArray(const std::string& key, std::optional<std::size_t> removed, const Value& added);

    // The stored value, else the registered one.
    std::optional<Value> object(const std::string& key) const;
    // The file layer's value itself, shared and never changed (a change replaces it): a large
    // one read without a copy. Null when the file layer holds none.
    std::shared_ptr<const Value> storedObject(const std::string& key) const;
    // True when the file layer (not the registered layer) holds the key.
    bool hasStoredValue(const std::string& key) const;

    bool boolForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;
    std::optional<Data> dataForKey(const std::string& key) const;

    // What the file layer holds, as one object (built anew: a copy of every value).
    Value storedValues() const;

    static Value encodeData(const Data& data);
    static std::optional<Data> decodeData(const Value& value);

private:
    class Writer;
    // The file layer's keys and values, in the file's order. A value is shared with the
    // snapshots being written, and never changed: a change replaces it.
    using Entries = std::vector<std::pair<std::string, std::shared_ptr<const Value>>>;

    // The stored value, else the registered one; null when neither.
    const Value* lookUp(const std::string& key) const;
    Entries::iterator findStored(const std::string& key);
    Entries::const_iterator findStored(const std::string& key) const;

    void load();
    // Takes the members of a file's object, of `textSize` bytes of text, as the file layer.
    void keep(Value&& values, std::size_t textSize);
    // Takes the copy a write in place left in place of the file, unless the file got a newer
    // complete write since. False when there is no copy to weigh.
    bool takePendingCopy(const std::filesystem::path& path);
    // `replaced`: a value the change let go of, to go off the main thread.
    void save(std::shared_ptr<const Value> replaced = nullptr);
    // Logs what came of the writes since the last look.
    void tellWrites();

    std::string domain_;
    std::size_t fileSizeLimit_;
    // The size of the file's text as loaded.
    std::size_t loadedSize_ = 0;
    Entries stored_;
    // The stored values this domain made itself, which `editArray` may change once nothing else
    // holds them; one that no longer stands under its key is passed over.
    std::map<std::string, std::weak_ptr<Value>> editable_;
    Value registered_ = Value::object();
    bool writable_ = true;
    bool toldTooLarge_ = false;
    bool toldInPlace_ = false;
    // The last write failed, and that was told.
    bool failing_ = false;
    // Started on the first write.
    std::unique_ptr<Writer> writer_;
};

}  // namespace quorlix::platform
