#pragma once
// Renders views with fixed font metrics and finds their frames by id.

#include "fakes/fixed_font_engine.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quorlix::ui::testing {

inline bool near(const Rect& a, const Rect& b, double tolerance = 1e-6) {
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance && std::abs(a.height() - b.height()) <= tolerance;
}

#define EXPECT_RECT(actual, ...)                                                                          \
    do {                                                                                                  \
        const ::quorlix::Rect expected_(__VA_ARGS__);                                                     \
        const ::quorlix::Rect got_ = (actual);                                                            \
        EXPECT_TRUE(::quorlix::ui::testing::near(got_, expected_))                                        \
            << "got (" << got_.x() << ", " << got_.y() << ", " << got_.width() << ", " << got_.height() \
            << ") expected (" << expected_.x() << ", " << expected_.y() << ", " << expected_.width() << ", " \
            << expected_.height() << ")";                                                                 \
    } while (0)

// Lays a view out in a canvas, pinned to its top-leading corner, with text at 10 points (so a
// letter is 5 points wide and a line 10 points high).
class Layout {
public:
    explicit Layout(const View& view, Size canvas = {400, 300}, EnvironmentValues env = {}) : graph_(fonts_) {
        graph_.update(view.font(Font::system(10))
                          .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading}),
                      canvas, env);
    }
    const DisplayItem& list() const { return graph_.displayList(); }
    const ViewGraph& graph() const { return graph_; }
    Rect frame(const char* id) const {
        const DisplayItem* item = list().findId(id);
        EXPECT_NE(item, nullptr) << "no view with id " << id;
        return item ? item->frame : Rect{};
    }
    const DisplayItem& text(const char* content) const {
        const DisplayItem* item = list().findText(content);
        EXPECT_NE(item, nullptr) << "no text " << content;
        static const DisplayItem none;
        return item ? *item : none;
    }

private:
    fakes::FixedFontEngine fonts_;
    ViewGraph graph_;
};

inline View box(double w, double h) { return Color::white.frame({.width = w, .height = h}); }

}  // namespace quorlix::ui::testing
