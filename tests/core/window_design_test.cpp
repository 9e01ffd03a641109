// The window's design table as a whole. What each control holds is pinned where the window is
// built from it (tests/ui/frm_main_test.cpp: every box, caption, font, limit and the tab order).
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "window_design.h"

namespace tervalink::design {
namespace {

// Each name once; each container a frame before its contents; each shown control inside its
// container, or on the window inside the client area.
TEST(WindowDesign, NamesContainersAndBoxes)
{
    const std::vector<Control>& all = window_controls();
    EXPECT_EQ(all.size(), 285u);
    std::set<std::string> names;
    for (std::size_t n = 0; n < all.size(); ++n) {
        const Control& c = all[n];
        EXPECT_TRUE(names.insert(c.object_name()).second) << c.object_name();
        TwipsRect room = client_area;
        if (c.container != on_window) {
            ASSERT_LT(static_cast<std::size_t>(c.container), n) << c.object_name();
            const Control& frame = all[static_cast<std::size_t>(c.container)];
            EXPECT_EQ(frame.kind, Kind::frame) << c.object_name();
            room = {0, 0, frame.box.width, frame.box.height};
        }
        const bool inside = c.box.left >= room.left && c.box.top >= room.top &&
                            c.box.left + c.box.width <= room.left + room.width &&
                            c.box.top + c.box.height <= room.top + room.height;
        EXPECT_EQ(inside, c.visible) << c.object_name();
    }
}

} // namespace
} // namespace tervalink::design
