#pragma once
// A QApplication for the test program (offscreen; widgets need one), and pixel reading of
// rendered views.

#include "ui/qt/qt_canvas.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace quorlix::ui::testing {

class QtApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        if (QGuiApplication::instance()) return;
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "test";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

// Straight (not premultiplied) colour of a pixel.
inline QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace quorlix::ui::testing
