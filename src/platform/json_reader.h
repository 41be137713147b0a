#pragma once
// Reading JSON that comes from outside (a file, a reply) without trusting its shape.
//
// Nesting is limited: writing, copying and comparing a value recurse once per level, so a
// document nested 100,000 levels deep would overflow the stack long after it was read.
// Reading a user's file that is written back can also refuse what the writer would change:
// an object that repeats a key (only one would survive) and an integer that no 64-bit type
// holds (it would come back as a rounded floating-point number).

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

struct JSONReadOptions {
    // Objects and arrays inside one another, the outermost counting as 1.
    std::size_t maxDepth = 128;
    // Refuse repeated keys and integers beyond 64 bits.
    bool exact = false;
};

struct JSONRead {
    enum class Failure {
        none,
        syntax,           // not JSON; `byte` is where it stopped making sense (from 1)
        tooDeep,          // nested past `maxDepth`
        numberTooLarge,   // a number beyond the range of a double
        integerTooLarge,  // with `exact`: an integer beyond 64 bits
        repeatedKey,      // with `exact`: `detail` is the key
    };
    std::optional<nlohmann::ordered_json> value;
    Failure failure = Failure::none;
    std::size_t byte = 0;
    std::string detail;
};

JSONRead readJSON(std::string_view text, const JSONReadOptions& options = {});

// The value as text (`indent` as `dump` takes it), or nothing when it holds text that is not
// UTF-8 or is nested past `maxDepth`. Never throws.
std::optional<std::string> writeJSON(const nlohmann::ordered_json& value, int indent = -1,
                                     std::size_t maxDepth = JSONReadOptions{}.maxDepth);

// Objects and arrays inside one another in `value`, without recursion.
std::size_t depth(const nlohmann::ordered_json& value);

// Whether `writeJSON` would write `value`: its text (keys too) all UTF-8, nesting within
// `maxDepth`. Found by walking the value, at a fraction of the cost of writing it.
bool isWritable(const nlohmann::ordered_json& value, std::size_t maxDepth = JSONReadOptions{}.maxDepth);

// Appends `value` to `out` as `writeJSON(value, indent)` writes it, its lines after the first
// indented by `level` further spaces (a member of an object being written by hand). Throws
// what `dump` throws.
void appendJSON(std::string& out, const nlohmann::ordered_json& value, unsigned indent, unsigned level);

}  // namespace quorlix::platform
