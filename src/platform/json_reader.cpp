#include "platform/json_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace quorlix::platform {

namespace {

using Value = nlohmann::ordered_json;
using Failure = JSONRead::Failure;

// Builds the value from the parser's events, keeping to the options. Like the library's own
// builder, it holds pointers to the containers being filled: a container is only appended to
// while none of its children is open, so they stay valid.
class Builder {
public:
    explicit Builder(const JSONReadOptions& options) : options_(options) {}

    bool null() { return put(nullptr); }
    bool boolean(bool value) { return put(value); }
    bool number_integer(Value::number_integer_t value) { return put(value); }
    bool number_unsigned(Value::number_unsigned_t value) { return put(value); }
    bool number_float(Value::number_float_t value, const std::string& text) {
        // The parser reads an integer too large for 64 bits as a floating-point number.
        if (options_.exact && text.find_first_of(".eE") == std::string::npos)
            return fail(Failure::integerTooLarge);
        return put(value);
    }
    bool string(std::string& value) { return put(std::move(value)); }
    bool binary(Value::binary_t& value) { return put(std::move(value)); }

    bool start_object(std::size_t) { return open(Value::object()); }
    bool key(std::string& name) {
        if (options_.exact && !keys_.back().insert(name).second) {
            detail_ = name;
            return fail(Failure::repeatedKey);
        }
        slot_ = &(*open_.back())[name];
        return true;
    }
    bool end_object() {
        keys_.pop_back();
        open_.pop_back();
        return true;
    }
    bool start_array(std::size_t) { return open(Value::array()); }
    bool end_array() {
        open_.pop_back();
        return true;
    }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) {
        byte_ = position;
        // 406: a number the parser cannot hold.
        return fail(error.id == 406 ? Failure::numberTooLarge : Failure::syntax);
    }

    JSONRead result(bool parsed) {
        if (!parsed || failure_ != Failure::none) {
            return {std::nullopt, failure_ == Failure::none ? Failure::syntax : failure_, byte_, detail_};
        }
        return {std::move(root_), Failure::none, 0, {}};
    }

private:
    Value* put(Value value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Value& container = *open_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        *slot_ = std::move(value);
        return slot_;
    }
    bool open(Value empty) {
        if (open_.size() >= options_.maxDepth) return fail(Failure::tooDeep);
        const bool object = empty.is_object();
        open_.push_back(put(std::move(empty)));
        if (object) keys_.emplace_back();
        return true;
    }
    bool fail(Failure failure) {
        if (failure_ == Failure::none) failure_ = failure;
        return false;
    }

    const JSONReadOptions& options_;
    Value root_;
    std::vector<Value*> open_;
    std::vector<std::set<std::string>> keys_;
    Value* slot_ = nullptr;
    Failure failure_ = Failure::none;
    std::size_t byte_ = 0;
    std::string detail_;
};

}  // namespace

JSONRead readJSON(std::string_view text, const JSONReadOptions& options) {
    Builder builder(options);
    bool parsed = false;
    try {
        parsed = Value::sax_parse(text, &builder);
    } catch (const std::exception&) {
        // The parser reports its errors through the builder; only memory can run out here.
        parsed = false;
    }
    return builder.result(parsed);
}

std::size_t depth(const Value& value) {
    std::size_t deepest = 0;
    std::vector<std::pair<const Value*, std::size_t>> pending{{&value, 0}};
    while (!pending.empty()) {
        const auto [current, level] = pending.back();
        pending.pop_back();
        if (!current->is_structured()) continue;
        deepest = std::max(deepest, level + 1);
        for (const Value& child : *current) pending.emplace_back(&child, level + 1);
    }
    return deepest;
}

namespace {
// Well-formed UTF-8 (the sequences the library's writer takes): no overlong forms, no
// surrogates, nothing past U+10FFFF.
bool isUTF8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // ASCII 32 bytes at a time: file addresses, most of a large settings file, are ASCII.
        if (std::uint64_t words[4]; n - i >= sizeof words) {
            std::memcpy(words, s + i, sizeof words);
            if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080) == 0) {
                i += sizeof words;
                continue;
            }
        }
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The length of the sequence, and the range of its second byte.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length || s[i + 1] < low || s[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((s[i + k] & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// Collects what the library's writer writes into a string.
class Appender final : public nlohmann::detail::output_adapter_protocol<char> {
public:
    explicit Appender(std::string& out) : out_(out) {}
    void write_character(char c) override { out_.push_back(c); }
    void write_characters(const char* s, std::size_t length) override { out_.append(s, length); }

private:
    std::string& out_;
};
}  // namespace

bool isWritable(const Value& value, std::size_t maxDepth) {
    std::vector<std::pair<const Value*, std::size_t>> pending{{&value, 0}};
    while (!pending.empty()) {
        const auto [current, level] = pending.back();
        pending.pop_back();
        if (current->is_string() && !isUTF8(current->get_ref<const std::string&>())) return false;
        if (!current->is_structured()) continue;
        if (level + 1 > maxDepth) return false;
        if (current->is_object()) {
            for (auto it = current->begin(); it != current->end(); ++it) {
                if (!isUTF8(it.key())) return false;
                pending.emplace_back(&it.value(), level + 1);
            }
        } else {
            for (const Value& child : *current) pending.emplace_back(&child, level + 1);
        }
    }
    return true;
}

void appendJSON(std::string& out, const Value& value, unsigned indent, unsigned level) {
    // The library's own writer, which `dump` calls with a level of 0: public in all but name.
    nlohmann::detail::serializer<Value> writer(std::make_shared<Appender>(out), ' ');
    writer.dump(value, true, false, indent, level);
}

std::optional<std::string> writeJSON(const Value& value, int indent, std::size_t maxDepth) {
    if (depth(value) > maxDepth) return std::nullopt;
    try {
        return value.dump(indent, ' ', false, Value::error_handler_t::strict);
    } catch (const std::exception&) {
        return std::nullopt;  // text that is not UTF-8
    }
}

}  // namespace quorlix::platform
