#include "platform/url_query.h"

namespace quorlix::platform {

std::string percentEncode(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::string addressWithQuery(std::string_view base, std::string_view path, const QueryItems& items) {
    std::string out(base);
    out += path;
    char joiner = '?';
    for (const auto& [name, value] : items) {
        out += joiner;
        out += percentEncode(name);
        out += '=';
        out += percentEncode(value);
        joiner = '&';
    }
    return out;
}

}  // namespace quorlix::platform
