#include "platform/script_host.h"

#include "platform/number_text.h"

#include <cmath>

namespace quorlix::platform {

std::optional<std::string> ScriptValue::stringValue() const {
    if (const auto* s = std::get_if<std::string>(&value_)) return *s;
    if (const auto* d = std::get_if<double>(&value_)) return formatNumber(*d);
    if (const auto* b = std::get_if<bool>(&value_)) return std::string(*b ? "true" : "false");
    return std::nullopt;
}

std::optional<double> ScriptValue::doubleValue() const {
    if (const auto* d = std::get_if<double>(&value_)) {
        if (!std::isfinite(*d)) return std::nullopt;
        return *d;
    }
    if (const auto* s = std::get_if<std::string>(&value_)) return parseNumber(*s);
    if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<bool> ScriptValue::booleanValue() const {
    if (const auto* b = std::get_if<bool>(&value_)) return *b;
    if (const auto* d = std::get_if<double>(&value_)) return *d != 0;
    if (const auto* s = std::get_if<std::string>(&value_)) {
        if (*s == "true") return true;
        if (*s == "false") return false;
    }
    return std::nullopt;
}

std::optional<ScriptValue::Bytes> ScriptValue::data() const {
    if (const auto* b = std::get_if<Bytes>(&value_)) return *b;
    return std::nullopt;
}

}  // namespace quorlix::platform
