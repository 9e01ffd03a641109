#pragma once

namespace tervalink {

class SerialLine;
struct Controls;

// The connect button offers what a click will do, and UPDATE is enabled while the line is open:
// both follow the line itself, whoever opened or closed it.
void show_line_state(const Controls& controls, const SerialLine& line);

} // namespace tervalink
