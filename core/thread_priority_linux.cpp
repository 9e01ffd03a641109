#include "thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tervalink {
namespace {

// High enough to win over every ordinary process, low enough to leave the kernel's own
// real-time threads (priority 50 and above) ahead of a sleeping sender.
constexpr int fifo_priority = 20;
constexpr int best_nice = -10;

} // namespace

std::string raise_sending_priority()
{
    const sched_param param{fifo_priority};
    if (::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0)
        return "SCHED_FIFO " + std::to_string(fifo_priority);
    // On Linux a nice value set on a thread id applies to that thread alone.
    const auto thread_id = static_cast<id_t>(::syscall(SYS_gettid));
    const int nice_now = ::getpriority(PRIO_PROCESS, thread_id);
    for (int nice = best_nice; nice < nice_now; ++nice) {
        if (::setpriority(PRIO_PROCESS, thread_id, nice) == 0)
            return "nice " + std::to_string(nice);
    }
    return "normal";
}

} // namespace tervalink
