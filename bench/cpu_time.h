#pragma once

namespace tervalink::bench {

// The CPU time this process has used so far, user and system, in seconds.
double cpu_seconds();

} // namespace tervalink::bench
