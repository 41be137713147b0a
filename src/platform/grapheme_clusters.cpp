#include "platform/grapheme_clusters.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <cstdint>
#include <limits>

namespace quorlix::platform {

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of a plain code point starting at `i`, or 0 for anything else. Plain: below
// U+0300 (an ASCII byte, or a lead byte C2 to CB with its continuation byte), or the general
// punctuation from U+2010 to U+2027 and U+2030 to U+205E (dashes, quotes, the ellipsis a cut
// text ends with), which neither join nor are joined to what is before them.
std::size_t plainLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return 1;
    const auto next = [&](std::size_t k) {
        return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
    };
    if (b >= 0xC2 && b <= 0xCB && isContinuation(next(1))) return 2;
    if (b == 0xE2 && (next(1) == 0x80 || next(1) == 0x81) && isContinuation(next(2))) {
        const unsigned c = 0x2000u + ((next(1) & 0x3Fu) << 6) + (next(2) & 0x3Fu);
        if ((c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E)) return 3;
    }
    return 0;
}

// Where the plain code point that ends at `i` starts, or `i` when there is none such.
std::size_t plainBefore(std::string_view s, std::size_t i) {
    if (static_cast<unsigned char>(s[i - 1]) < 0x80) return i - 1;
    if (i >= 2 && plainLength(s, i - 2) == 2) return i - 2;
    if (i >= 3 && plainLength(s, i - 3) == 3) return i - 3;
    return i;
}

}  // namespace

struct GraphemeClusters::Icu {
    UText text = UTEXT_INITIALIZER;
    std::unique_ptr<icu::BreakIterator> iterator;  // null when ICU cannot help: code points then
    ~Icu() { utext_close(&text); }
};

GraphemeClusters::GraphemeClusters(std::string_view text) : text_(text) {}
GraphemeClusters::~GraphemeClusters() = default;

GraphemeClusters::Icu& GraphemeClusters::icu() {
    if (icu_) return *icu_;
    icu_ = std::make_unique<Icu>();
    // Made once a thread; each text's iterator is a copy of it, which costs far less.
    static thread_local const std::unique_ptr<icu::BreakIterator> prototype = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    // ICU counts in 32 bits.
    if (!prototype || text_.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        return *icu_;
    UErrorCode status = U_ZERO_ERROR;
    utext_openUTF8(&icu_->text, text_.data(), static_cast<int64_t>(text_.size()), &status);
    std::unique_ptr<icu::BreakIterator> iterator(prototype->clone());
    if (U_SUCCESS(status) && iterator) iterator->setText(&icu_->text, status);
    if (U_SUCCESS(status)) icu_->iterator = std::move(iterator);
    return *icu_;
}

int GraphemeClusters::plainBoundary(std::size_t i) const {
    if (plainLength(text_, i) == 0) return -1;
    const std::size_t before = plainBefore(text_, i);
    if (before == i) return -1;
    return text_[before] == '\r' && text_[i] == '\n' ? 0 : 1;
}

std::size_t GraphemeClusters::followingFrom(std::size_t i) {
    const std::size_t size = text_.size();
    if (i >= size) return size;
    if (const std::size_t n = plainLength(text_, i)) {
        const std::size_t next = i + n;
        if (next >= size) return size;
        const int plain = plainBoundary(next);
        if (plain == 1) return next;
        if (plain == 0) return next + 1;  // a line feed after a carriage return ends with it
    }
    Icu& u = icu();
    if (!u.iterator) {
        std::size_t next = i + 1;
        while (next < size && isContinuation(static_cast<unsigned char>(text_[next]))) ++next;
        return next;
    }
    const auto next = static_cast<std::size_t>(u.iterator->following(static_cast<int32_t>(i)));
    return next > size ? size : next;
}

std::size_t GraphemeClusters::preceding(std::size_t i) {
    if (i == 0) return 0;
    if (i > text_.size()) i = text_.size();
    if (const std::size_t before = plainBefore(text_, i); before < i) {
        if (before == 0) return 0;
        if (plainBoundary(before) == 1) return before;
    }
    Icu& u = icu();
    if (!u.iterator) {
        std::size_t before = i - 1;
        while (before > 0 && isContinuation(static_cast<unsigned char>(text_[before]))) --before;
        return before;
    }
    const int32_t before = u.iterator->preceding(static_cast<int32_t>(i));
    return before > 0 ? static_cast<std::size_t>(before) : 0;
}

bool GraphemeClusters::startsAt(std::size_t i) {
    if (i == 0 || i >= text_.size()) return i <= text_.size();
    if (const int plain = plainBoundary(i); plain >= 0) return plain == 1;
    Icu& u = icu();
    if (!u.iterator) return !isContinuation(static_cast<unsigned char>(text_[i]));
    return u.iterator->isBoundary(static_cast<int32_t>(i));
}

}  // namespace quorlix::platform
