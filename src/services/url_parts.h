#pragma once
// The parts of a URL "scheme://[user@]host[:port][/path][?query][#fragment]" that the agent
// events and the browser watcher read. Percent escapes are decoded in the host and in query
// items; "+" stays "+". Nothing is checked beyond the shape.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

struct URLParts {
    struct QueryItem {
        std::string name;
        std::optional<std::string> value;  // none for an item without "="
    };

    std::string scheme;
    std::string host;  // empty without "//"
    // None without a query; an empty list for an empty one.
    std::optional<std::vector<QueryItem>> queryItems;

    // None when the text has no scheme.
    static std::optional<URLParts> parse(std::string_view url);

    // The value of the first query item named `name`; empty when there is none or it has
    // no value.
    std::string firstValue(std::string_view name) const;
};

}  // namespace quorlix
