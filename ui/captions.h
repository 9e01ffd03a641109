#pragma once

#include <array>

// The window's fixed texts, each written once: the layout shows them, and the handlers switch
// the connect button between its two.
namespace tervalink::caption {

inline constexpr char system_group[] = "SYSTEM";
inline constexpr char scan_ports[] = "Scan Ports";
inline constexpr char open_data_file[] = "Open a Data File ...";
inline constexpr char connect[] = "CONNECT";
inline constexpr char disconnect[] = "DISCONNECT";
inline constexpr char status[] = "Status :";
inline constexpr char update[] = "UPDATE";
inline constexpr char position[] = "POSITION";
inline constexpr char tp_columns[] = "  NID      FREQ    SYMB     POL";
inline constexpr char check_data[] = "CHECK DATA";

// The baud box's entries; the window starts on the line's own rate, 57600.
inline constexpr std::array<const char*, 4> baud_rates{"9600", "19200", "38400", "57600"};
inline constexpr int line_baud_entry = 3;

inline constexpr char stopped_by_closing[] = "The update was stopped because the window was closed";

} // namespace tervalink::caption
