// The clock an update keeps its deadlines on: performance.now(), in milliseconds. Chromium may
// run a timer of 64 ms or more late by its task leeway (8 ms, 16 ms planned); a shorter one it
// runs on time, give or take the system's wake-up, but not under 4 ms once timers nest (as an
// update's do). So a pause sleeps until 20 ms before its deadline, then until 1 ms before, and
// waits out the rest on the processor: a short spin, which a loaded machine seldom preempts (a
// long one there loses the processor for a scheduler tick, and the pause is late by it).
const margins_ms = [20, 1];
const shortest_timer_ms = 4;

// Resolves after `ms` or as soon as the signal aborts.
const sleep = (ms, signal) => new Promise((resolve) => {
  const done = () => {
    clearTimeout(timer);
    signal.removeEventListener("abort", done);
    resolve();
  };
  const timer = setTimeout(done, ms);
  signal.addEventListener("abort", done);
});

export const realClock = {
  now: () => performance.now(),
  // Resolves true at the deadline, never before; false as soon as the signal aborts.
  async sleepUntil(deadline, signal) {
    for (const margin of margins_ms) {
      const left = deadline - margin - performance.now();
      if (left >= shortest_timer_ms && !signal.aborted) await sleep(left, signal);
    }
    while (!signal.aborted && performance.now() < deadline) {
      // the last stretch: nothing else runs on this thread meanwhile
    }
    return !signal.aborted;
  },
};

// The clock seam: a test sets globalThis.tervalinkClock (a virtual clock) before the sender loads.
export const sendingClock = () => globalThis.tervalinkClock ?? realClock;
