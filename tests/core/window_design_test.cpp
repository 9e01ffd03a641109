// The window's design table: chosen controls as the design gives them, every name once, the
// containers, the boxes within them, and one unbroken focus order.
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

TEST(WindowDesign, DesignTimeStateFontsAndEntries)
{
    std::set<std::string> bold, larger, hidden, disabled;
    for (const Control& c : window_controls()) {
        if (c.bold)
            bold.insert(c.object_name());
        if (c.points != 8.25)
            larger.insert(c.name + (c.points == 9.75 ? "" : " at another size"));
        if (!c.visible)
            hidden.insert(c.object_name());
        if (!c.enabled)
            disabled.insert(c.object_name());
    }
    EXPECT_EQ(bold, std::set<std::string>{"Frame1"});
    EXPECT_EQ(larger, std::set<std::string>{"txtPos"});
    EXPECT_EQ(hidden, (std::set<std::string>{"List2", "cmdCheck"}));
    EXPECT_EQ(disabled, std::set<std::string>{"cmdSend"});
    EXPECT_EQ(control("Frame1").caption_colour, 0x0000ffu);
    EXPECT_EQ(control("Frame1").text, "SYSTEM");
    EXPECT_EQ(control("cboBurd").items, (std::vector<std::string>{"9600", "19200", "38400", "57600"}));
    EXPECT_EQ(control("cboBurd").items.at(line_baud_entry), "57600");
    EXPECT_EQ(control("pBar").maximum, 100);
    EXPECT_EQ(std::string(window_caption), "Tervalink V 1.34 (ZEPHLA)");
    EXPECT_EQ(position_of("txtNID", 39), window_controls().size());
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

// Tab positions 0 to 237, each once: the SYSTEM controls, UPDATE, 14 options, 13 groups of 16,
// then the ten auto symbol-rate boxes.
TEST(WindowDesign, TabChainIsUnbroken)
{
    const std::vector<std::size_t> chain = tab_chain();
    ASSERT_EQ(chain.size(), 238u);
    for (std::size_t n = 0; n < chain.size(); ++n)
        EXPECT_EQ(window_controls()[chain[n]].tab, static_cast<int>(n));
    const auto name_at = [&](std::size_t n) { return window_controls()[chain.at(n)].object_name(); };
    EXPECT_EQ((std::array{name_at(5), name_at(12), name_at(19), name_at(20), name_at(35),
                          name_at(36), name_at(228), name_at(237)}),
              (std::array<std::string, 8>{"cmdSend", "opSat_12", "opSat_13", "txtPos_0",
                                          "txtPol_26", "txtPos_1", "txtAutoSym_0", "txtAutoSym_9"}));
}

} // namespace
} // namespace tervalink::design
