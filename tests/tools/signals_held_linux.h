#pragma once

#include <pthread.h>

#include <csignal>

namespace tervalink::frames_tool {

// SIGINT and SIGTERM are held in every thread, so only a run's own wait can take them.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigemptyset(&held_);
        sigaddset(&held_, SIGINT);
        sigaddset(&held_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &held_, &previous_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t held_{}, previous_{};
};

} // namespace tervalink::frames_tool
