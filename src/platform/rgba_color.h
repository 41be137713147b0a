#pragma once
// A colour as plain numbers: sRGB components and straight (not premultiplied) alpha, each
// 0...1. Services hand colours to the view layer in this form (the artwork's accent colour).

namespace quorlix::platform {

struct RGBAColor {
    double red = 1;
    double green = 1;
    double blue = 1;
    double alpha = 1;

    // Hue, saturation and brightness (HSV), each 0...1; hue 0 for greys.
    struct HSB {
        double hue = 0;
        double saturation = 0;
        double brightness = 0;
    };

    static constexpr RGBAColor white() { return {1, 1, 1, 1}; }
    // Components outside 0...1 are clamped; a hue of 1 is red again.
    static RGBAColor fromHSB(double hue, double saturation, double brightness, double alpha = 1);
    HSB hsb() const;

    friend bool operator==(const RGBAColor&, const RGBAColor&) = default;
};

}  // namespace quorlix::platform
