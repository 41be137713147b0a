#include "services/text_match.h"

namespace quorlix {

std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
    return asciiLowercased(text).find(asciiLowercased(word)) != std::string::npos;
}

}  // namespace quorlix
