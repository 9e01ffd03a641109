// The window's design table: chosen controls as the design gives them, every name once, the
// containers and the boxes within them. The fonts, design-time states and the whole tab order are
// pinned where the window is built from the table (tests/ui/frm_main_test.cpp).
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "window_design.h"

namespace tervalink::design {
namespace {

const Control& control(std::string_view name, int index = single)
{
    return window_controls().at(position_of(name, index));
}

std::string container_of(const Control& c)
{
    return c.container == on_window
               ? "window"
               : window_controls().at(static_cast<std::size_t>(c.container)).object_name();
}

TEST(WindowDesign, ControlsAsDesigned)
{
    const struct {
        const char* name;
        int index;
        Kind kind;
        const char* container;
        int left, top, width, height;
        const char* text;
        std::size_t max_length;
        Alignment alignment;
        int tab;
    } rows[] = {
        {"cboPort", single, Kind::drop_down, "Frame1", 840, 360, 1215, 315, "", 0, Alignment::left, 0},
        {"CmdConnect", single, Kind::button, "Frame1", 6720, 240, 1335, 500, "CONNECT", 0, Alignment::left, 4},
        {"cmdSend", single, Kind::button, "window", 8280, 360, 1215, 500, "UPDATE", 0, Alignment::left, 5},
        {"pic", single, Kind::lamp, "window", 360, 1080, 500, 245, "", 0, Alignment::left, no_tab},
        {"Label2", single, Kind::label, "Frame1", 240, 1320, 615, 255, "Status :", 0, Alignment::left, no_tab},
        {"Frame2", 12, Kind::frame, "window", 9720, 120, 4695, 1695, "                                    ", 0, Alignment::left, no_tab},
        {"opSat", 7, Kind::option, "window", 9960, 3840, 1455, 495, "EUTELSAT 9A", 0, Alignment::left, 14},
        {"opSat", 13, Kind::option, "window", 14640, 5910, 1695, 195, "AUTO SYMBOL", 0, Alignment::left, 19},
        {"Label1", 24, Kind::label, "Frame2_12", 240, 480, 855, 255, "POSITION", 0, Alignment::centre, no_tab},
        {"Label1", 25, Kind::label, "Frame2_12", 2160, 240, 2415, 255, "  NID      FREQ    SYMB     POL", 0, Alignment::left, no_tab},
        {"txtPos", 12, Kind::text_box, "Frame2_12", 240, 840, 855, 360, "", 4, Alignment::centre, 116},
        {"chTp", 16, Kind::check_box, "Frame2_3", 1320, 840, 735, 255, "TP2", 0, Alignment::left, 70},
        {"txtFreq", 16, Kind::text_box, "Frame2_3", 2760, 840, 550, 315, "", 5, Alignment::right, 77},
        {"txtPol", 38, Kind::text_box, "Frame2_12", 3960, 1200, 550, 315, "", 1, Alignment::centre, 131},
        {"txtAutoSym", 7, Kind::text_box, "Frame2_13", 2160, 1080, 600, 285, "", 5, Alignment::right, 235},
        {"cmdCheck", single, Kind::button, "window", 10800, 7800, 8295, 2655, "CHECK DATA", 0, Alignment::left, no_tab},
    };
    for (const auto& row : rows) {
        const Control& c = control(row.name, row.index);
        const std::string name = c.object_name();
        EXPECT_EQ(c.kind, row.kind) << name;
        EXPECT_EQ(container_of(c), row.container) << name;
        EXPECT_EQ((std::array{c.box.left, c.box.top, c.box.width, c.box.height}),
                  (std::array{row.left, row.top, row.width, row.height}))
            << name;
        EXPECT_EQ(c.text, row.text) << name;
        EXPECT_EQ(c.max_length, row.max_length) << name;
        EXPECT_EQ(c.alignment, row.alignment) << name;
        EXPECT_EQ(c.tab, row.tab) << name;
    }
}

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
