#pragma once

#include "transmission_clock.h"

namespace tervalink {

// The last stretch of a pause: returns at the deadline of the steady clock, never before, as
// punctually as the system's timer allows. A stop cannot cut it short.
void sleep_precisely_until(TransmissionClock::Time deadline);

// How long before a deadline a pause hands over to sleep_precisely_until: longer than an ordinary
// timed wait of this system may oversleep, so the pause never reaches its deadline late.
TransmissionClock::Time precise_sleep_lead();

} // namespace tervalink
