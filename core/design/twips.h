#pragma once

#include <cmath>

namespace tervalink {

// A box of the design, in twips.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A box on the screen, in pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The design's screen has 96 pixels to the inch: 15 twips and 3/4 of a point to the pixel.
inline constexpr double twips_per_pixel = 15.0;
inline constexpr double pixels_per_point = 96.0 / 72.0;

// The window shows the design scaled by `factor`.
inline int twips_to_pixels(int twips, double factor = 1.0)
{
    return static_cast<int>(std::lround(twips * factor / twips_per_pixel));
}

// Both edges are rounded, so boxes that stand side by side in the design keep their spacing in
// pixels.
inline PixelRect twips_to_pixels(TwipsRect box, double factor = 1.0)
{
    const int x = twips_to_pixels(box.left, factor);
    const int y = twips_to_pixels(box.top, factor);
    return {x, y, twips_to_pixels(box.left + box.width, factor) - x,
            twips_to_pixels(box.top + box.height, factor) - y};
}

} // namespace tervalink
