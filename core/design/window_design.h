#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design_fonts.h"
#include "tervalink_version.h"
#include "twips.h"

// The window's design as data: every control with its kind, name, box, caption, font, length
// limit, alignment, focus order and design-time state. The window builds itself from it, and
// anything else that shows the window reads the same table.
namespace tervalink::design {

enum class Kind { frame, label, text_box, check_box, option, drop_down, button, progress_bar, lamp, list_box };

enum class Alignment { left, centre, right };

inline constexpr int on_window = -1; // the container of a control that stands on the window
inline constexpr int single = -1;    // the index of a control that belongs to no control array
inline constexpr int no_tab = -1;    // the tab position of a control that takes no focus

// Colours are 24-bit values with red in the least significant byte.
inline constexpr std::uint32_t red = 0x0000ff;

inline constexpr char window_caption[] = "Tervalink V " TERVALINK_VERSION " (ZEPHLA)";
// The caption of every message box.
inline constexpr char message_caption[] = "Tervalink";
// The lamp blinks at this period while frames go out.
inline constexpr int lamp_blink_ms = 80;
inline constexpr TwipsRect client_area{0, 0, 19320, 7725};

// The connect button shows the first while the line is closed, the second while it is open.
inline constexpr char connect_caption[] = "CONNECT";
inline constexpr char disconnect_caption[] = "DISCONNECT";

// The baud box's entry the window starts on: the line's own rate, 57600.
inline constexpr int line_baud_entry = 3;

struct Control {
    Kind kind = Kind::label;
    std::string name{};        // the design's name; for an element of a control array, the array's
    int index = single;        // the element of the control array
    int container = on_window; // the table position of the frame it stands in
    TwipsRect box{};           // from the container's top-left corner
    std::string text{};        // the caption, or a box's text at design time
    double points = caption_design_points;
    bool bold = false;
    std::optional<std::uint32_t> caption_colour{}; // none: the system's window-text colour
    std::size_t max_length = 0;                  // the characters a text box holds; 0: any number
    Alignment alignment = Alignment::left;
    int tab = no_tab; // the place in the focus order, from 0
    bool visible = true;
    bool enabled = true;
    std::vector<std::string> items{}; // a drop-down list's entries
    int maximum = 0;                // a progress bar's range is 0 to this

    // "cboPort" for a single control, "txtNID_16" for element 16 of the array txtNID.
    std::string object_name() const;
};

// Every control of the window. Containers come before what they contain, and controls that
// overlap are drawn in table order, later ones above.
const std::vector<Control>& window_controls();

// The table position of the control `name` (element `index` of a control array); the table's
// size when there is none.
std::size_t position_of(std::string_view name, int index = single);

// The table positions of the controls that take focus, in their tab order.
std::vector<std::size_t> tab_chain();

} // namespace tervalink::design
