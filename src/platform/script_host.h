#pragma once
// Runs scripts that drive other applications (the media players) and answers their result.
//
// A script is a text in the players' scripting language; the host answers with one value
// (text, a number, a truth value or raw bytes) or with nothing when the script cannot be
// run, fails, has no result, or does not finish within its time limit. Execution blocks,
// possibly for seconds, so callers run scripts on `AppleScriptQueue::shared()`, never on the
// main thread.
//
// The Linux backend answers the players' script texts from MPRIS calls on the session bus.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorlix::platform {

// The result of one script, read as one of four kinds. A reader answers nothing when the
// value cannot be read as its kind; numbers are always finite.
class ScriptValue {
public:
    using Bytes = std::vector<std::uint8_t>;

    static ScriptValue text(std::string value) { return ScriptValue(Storage(std::move(value))); }
    static ScriptValue number(double value) { return ScriptValue(Storage(value)); }
    static ScriptValue boolean(bool value) { return ScriptValue(Storage(value)); }
    static ScriptValue bytes(Bytes value) { return ScriptValue(Storage(std::move(value))); }

    // Text as is; a number in the C locale's shortest form; a truth value as "true" or
    // "false". Bytes have no text.
    std::optional<std::string> stringValue() const;
    // A finite number; a text that is a whole number in the C locale; a truth value as 0 or 1.
    std::optional<double> doubleValue() const;
    // A truth value; a number is true when not 0; the texts "true" and "false".
    std::optional<bool> booleanValue() const;
    // Raw bytes only.
    std::optional<Bytes> data() const;

    friend bool operator==(const ScriptValue&, const ScriptValue&) = default;

private:
    using Storage = std::variant<std::string, double, bool, Bytes>;
    explicit ScriptValue(Storage value) : value_(std::move(value)) {}
    Storage value_;
};

// What one script came to: its result, or the error it ended in.
struct ScriptOutcome {
    std::optional<ScriptValue> value;
    // The message of the error the script ended in (possibly empty); nothing when it did
    // not end in an error, or the host cannot tell.
    std::optional<std::string> error;
};

class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // Runs `source`, waiting at most `timeLimit` seconds. Called on one queue at a time.
    virtual std::optional<ScriptValue> execute(const std::string& source, double timeLimit) = 0;
    // Like `execute`, telling an error the script ended in apart from a script that had no
    // result. Hosts that cannot tell them apart report no error.
    virtual ScriptOutcome run(const std::string& source, double timeLimit) {
        return {execute(source, timeLimit), std::nullopt};
    }
    // Whether the players' favourite scripts can mark a track here. Any thread.
    virtual bool supportsFavorites() const { return true; }
};

}  // namespace quorlix::platform
