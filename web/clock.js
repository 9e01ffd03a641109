// The clock an update keeps its deadlines on: performance.now(), in milliseconds. A long
// setTimeout may run several milliseconds late (Chromium's leeway), so a pause sleeps until
// shortly before its deadline and waits out the rest on the processor.
const spin_lead_ms = 20;

export const realClock = {
  now: () => performance.now(),
  // Resolves true at the deadline, never before; false as soon as the signal aborts.
  async sleepUntil(deadline, signal) {
    const lead = deadline - spin_lead_ms - performance.now();
    if (lead > 0) {
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, lead);
        signal.addEventListener("abort", () => { clearTimeout(timer); resolve(); }, { once: true });
      });
    }
    while (!signal.aborted && performance.now() < deadline) {
      // the last stretch: nothing else runs on this thread meanwhile
    }
    return !signal.aborted;
  },
};

// The clock seam: a test sets globalThis.tervalinkClock (a virtual clock) before the sender loads.
export const sendingClock = () => globalThis.tervalinkClock ?? realClock;
