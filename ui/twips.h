#pragma once

#include <cmath>

#include <QRect>

namespace tervalink {

// The design measures in twips: 15 twips are one pixel at 96 dpi. Both edges are rounded, so boxes
// that stand side by side in the design keep their spacing in pixels.
inline int twips_to_pixels(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

inline QRect twips_rect(int left, int top, int width, int height)
{
    const int x = twips_to_pixels(left);
    const int y = twips_to_pixels(top);
    return {x, y, twips_to_pixels(left + width) - x, twips_to_pixels(top + height) - y};
}

} // namespace tervalink
