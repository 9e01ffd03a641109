// The factor that fits the design to a work area, the legibility floor, and the captions' steps
// down: lengths in the desktop's scaled pixels.
#include <array>
#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

#include "design_scale.h"

using namespace tervalink;

// A 1288 x 515 design in a frame of 8, 31, 8, 8: the work area's width and height, the device
// pixel ratio, and the factor.
TEST(DesignScale, Factor)
{
    const std::tuple<const char*, double, double, double, double> cases[] = {
        {"larger than the design: its own size", 1920, 1040, 1, 1},
        {"exactly the design and frame", 1304, 554, 1, 1},
        {"one pixel narrower", 1303, 554, 1, 0.99922},
        {"1920 x 1080 at 150 %, taskbar 48", 1280, 688, 1.5, 0.98137},
        {"wide and low: the height decides", 3000, 400, 1, 0.70097},
        {"800 x 600 at 100 %: held at the floor", 800, 560, 1, 0.63636},
        {"800 x 600 at 200 %: the floor in screen pixels", 400, 280, 2, 0.31818},
        {"800 x 600 at 125 %: at the floor", 640, 450, 1.25, 0.50909},
        {"1024 x 768 at 125 %: above it", 819, 574, 1.25, 0.62345}};
    for (const auto& [name, width, height, ratio, expected] : cases) {
        const double chosen = design_factor({width, height}, {8, 31, 8, 8}, {1288, 515},
                                            legibility_floor(ratio));
        EXPECT_LT(std::abs(chosen - expected), 1e-5) << name << ": " << chosen;
    }
}

// From any size one screen pixel down to the next whole one; 1 pixel is the last.
TEST(DesignScale, CaptionsStepDownByScreenPixels)
{
    const std::array<double, 3> steps[] = {// scale, device pixel ratio, the next scale
                                           {1, 1, 10.0 / 11},        {0.95, 1, 10.0 / 11},
                                           {10.0 / 11, 1, 9.0 / 11}, {0.75, 1.5, 12 / 16.5},
                                           {1.0 / 11, 1, 1.0 / 11}};
    for (const auto& [scale, ratio, next] : steps)
        EXPECT_LT(std::abs(next_smaller_text_scale(scale, ratio) - next), 1e-9) << scale;
}
