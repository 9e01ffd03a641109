#pragma once

#include <string>

namespace tervalink::module {

// The window's design table, its captions and the lamp's period, as JSON text.
std::string design_json();

} // namespace tervalink::module
