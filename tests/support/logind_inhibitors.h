#pragma once
// Linux only: what logind on the system bus lists (tests run it on private_system_bus.sh).
#include <string>
#include <vector>

namespace tervalink::test {

// ListInhibitors, one "what | who | why | mode" each.
std::vector<std::string> logind_inhibitors();

// logind drops an inhibitor a moment after the last copy of its descriptor has closed.
bool no_inhibitors_within_10_s();

} // namespace tervalink::test
