#pragma once
// How the Qt canvas draws a run of text: its glyphs shaped once and kept by font, text and
// thickness; its outline made when a gradient fills it or a weight the font lacks thickens
// it; and thickened symbols in one colour copied from pictures of them, kept once drawn twice.
//
// Internal to the Qt renderer; main thread only.

#include "ui/color.h"
#include "ui/display_list.h"
#include "ui/qt/qt_font_engine.h"

#include <QPainter>

namespace quorlix::ui::qt {

// Draws `run` filled with `paint` through `painter`, at the run's origin.
void drawTextRun(QPainter& painter, QtFontEngine& fonts, const TextRun& run, const Paint& paint);

}  // namespace quorlix::ui::qt
