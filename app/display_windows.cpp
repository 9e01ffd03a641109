#include "display.h"

namespace tervalink {

// Every Windows session that can start a program has a desktop to show it on.
bool display_available()
{
    return true;
}

} // namespace tervalink
