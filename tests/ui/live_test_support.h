#pragma once
// A view hosted on virtual time, with fixed font metrics, and a small observable model.

#include "fakes/fixed_font_engine.h"
#include "fakes/virtual_time.h"
#include "ui/ui.h"
#include "ui/view_host.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace quorlix::ui::testing {

// Everything a display list draws, one item a line, children indented (stamps left out), to
// compare two lists.
inline void dump(const DisplayItem& i, std::ostringstream& out, int depth = 0) {
    out << std::string(static_cast<std::size_t>(depth), ' ') << i.role << ' ' << i.identity.value << ' '
        << i.frame.x() << ',' << i.frame.y() << ',' << i.frame.width() << ',' << i.frame.height() << " k"
        << static_cast<int>(i.kind) << " o" << i.opacity;
    for (const auto& r : i.runs)
        out << " [" << r.text << ' ' << r.font.size << ' ' << r.origin.x << ',' << r.origin.y << ']';
    if (i.fill) out << " fill" << i.fill->color.r << ',' << i.fill->color.a;
    if (i.textPaint) out << " ink" << i.textPaint->color.r << ',' << i.textPaint->color.g;
    if (!i.path.isEmpty()) out << " path" << i.path.controlBounds().width();
    if (i.clip) out << " clip" << i.clip->controlBounds().width();
    if (i.explicitId) out << " id" << *i.explicitId;
    out << '\n';
    for (const auto& c : i.children) dump(c, out, depth + 1);
}

inline std::string dumped(const DisplayItem& list) {
    std::ostringstream out;
    dump(list, out);
    return out.str();
}

struct Model : ObservableObject {
    Published<bool> flag{this, false};
    Published<double> value{this, 0};
    Published<int> id{this, 1};
    Published<std::string> label{this, "a"};
};

// The view is built by `root()` at every render, so it reads the model as it is then.
class Live {
public:
    template <class Root>
    explicit Live(Root root, Size size = {200, 100})
        : host_(fonts_, View(Body<Root>{std::move(root)}), size) {
        host_.observe(model);
        host_.render();
    }

    fakes::VirtualTime time;
    Model model;

    ViewHost& host() { return host_; }
    const DisplayItem& shown() { return host_.displayList(); }
    const DisplayItem& item(const char* id) {
        const DisplayItem* found = shown().findId(id);
        EXPECT_NE(found, nullptr) << "no view with id " << id;
        static const DisplayItem none;
        return found ? *found : none;
    }
    bool has(const char* id) { return shown().findId(id) != nullptr; }
    // Runs what is due now and then `seconds` of frames.
    void advance(double seconds) {
        time.runPending();
        time.advance(seconds);
    }

private:
    template <class Root>
    struct Body {
        Root make;
        View body(Context&) const { return make(); }
    };

    fakes::FixedFontEngine fonts_;
    ViewHost host_;
};

}  // namespace quorlix::ui::testing
