#include "services/url_parts.h"

#include "platform/url_query.h"

namespace quorlix {

namespace {

using platform::hexValue;

// "%41" becomes "A"; a "%" not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

std::optional<URLParts> URLParts::parse(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    URLParts out;
    out.scheme = std::string(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    std::optional<std::string_view> query;
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        std::string_view authority = rest.substr(2);
        authority = authority.substr(0, authority.find('/'));
        if (const auto at = authority.rfind('@'); at != std::string_view::npos)
            authority = authority.substr(at + 1);
        out.host = percentDecoded(authority.substr(0, authority.find(':')));
    }
    if (query) {
        std::vector<QueryItem> items;
        for (std::string_view q = *query; !q.empty();) {
            const auto amp = q.find('&');
            const std::string_view item = q.substr(0, amp);
            const auto eq = item.find('=');
            QueryItem qi{percentDecoded(item.substr(0, eq)), std::nullopt};
            if (eq != std::string_view::npos) qi.value = percentDecoded(item.substr(eq + 1));
            items.push_back(std::move(qi));
            if (amp == std::string_view::npos) break;
            q = q.substr(amp + 1);
        }
        out.queryItems = std::move(items);
    }
    return out;
}

std::string URLParts::firstValue(std::string_view name) const {
    if (!queryItems) return "";
    for (const auto& item : *queryItems)
        if (item.name == name) return item.value.value_or("");
    return "";
}

}  // namespace quorlix
