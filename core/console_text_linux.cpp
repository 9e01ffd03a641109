#include "console_text.h"

namespace tervalink {

struct ConsoleText::Writers {};

ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

} // namespace tervalink
