#pragma once
// A QGuiApplication for the test program (offscreen), and pixel reading of rendered views.

#include "ui/qt/qt_canvas.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace quorlix::ui::testing {

class QtApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        if (QGuiApplication::instance()) return;
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "test";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication* app_ = nullptr;
};

// Straight (not premultiplied) colour of a pixel.
inline QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace quorlix::ui::testing
