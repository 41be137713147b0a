#pragma once
// A decoded picture in memory: premultiplied 32-bit ARGB pixels (0xAARRGGBB), row by row.
// Shared by pointer; the pointer's identity is the picture's identity (a new object for the
// same pixels counts as a new picture).

#include <cstdint>
#include <memory>
#include <vector>

namespace quorlix::ui {

struct Bitmap {
    int width = 0;
    int height = 0;
    double scale = 1;  // pixels per point
    std::vector<std::uint32_t> pixels;

    static std::shared_ptr<const Bitmap> make(int w, int h, std::vector<std::uint32_t> px, double scale = 1) {
        auto b = std::make_shared<Bitmap>();
        b->width = w;
        b->height = h;
        b->scale = scale;
        b->pixels = std::move(px);
        if (b->pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) b->pixels.assign(
            static_cast<std::size_t>(w > 0 ? w : 0) * static_cast<std::size_t>(h > 0 ? h : 0), 0);
        return b;
    }
    bool isEmpty() const { return width <= 0 || height <= 0; }
};

}  // namespace quorlix::ui
