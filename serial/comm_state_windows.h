#pragma once
// Windows only: the port's device-control block for the antenna unit's line.
#include <windows.h>

namespace tervalink {

// The block SetCommState takes for the line, made from the one GetCommState gave: 57600 baud,
// 8 data bits, no parity, one stop bit, binary, no flow control of any kind, DTR and RTS on.
// Every field the line depends on is set here, whatever the driver or the last program left;
// the rest (the driver's own event and end-of-file characters) stays as it was.
DCB antenna_line_state(const DCB& previous);

} // namespace tervalink
