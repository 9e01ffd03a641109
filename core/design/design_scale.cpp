#include "design_scale.h"

#include <algorithm>
#include <cmath>

namespace tervalink {

double legibility_floor(double device_pixel_ratio)
{
    return smallest_legible_pixels / (caption_design_pixels * device_pixel_ratio);
}

double design_factor(Extent available, FrameMargins frame, Extent design, double floor)
{
    const double width = (available.width - frame.left - frame.right) / design.width;
    const double height = (available.height - frame.top - frame.bottom) / design.height;
    return std::max(floor, std::min({1.0, width, height}));
}

double next_smaller_text_scale(double text_scale, double device_pixel_ratio)
{
    const double screen_pixels = caption_design_pixels * device_pixel_ratio;
    // A size that lies a hair above whole pixels counts as those pixels.
    const double now = std::ceil(text_scale * screen_pixels - 1e-6);
    return std::max(1.0, now - 1) / screen_pixels;
}

} // namespace tervalink
