// The benchmark's dedicated worker. It prepares a one-row update in the core's module (HOTBIRD,
// 13.0 E, as pacing_bench sends it) and keeps that update's pauses in one of two ways: by the
// page's own sender and clock (web/sender.js on web/clock.js) into a port that notes when each
// write began, or by a bare setTimeout per pause. It answers each pause's error in ms: from one
// write to the next (the last one to the update's end) less the pause the module planned.
import { realClock } from "/clock.js";
import { lineBaudRate, loadCore } from "/core_module.js";
import { lineOwner, updateFailures } from "/sender.js";

const core = await loadCore(fetch("/tervalink_core.wasm").then((response) => response.arrayBuffer()));
const slot = 3;
core.select(slot);
for (const [field, text] of [["nid", "1"], ["freq", "11778"], ["symb", "27500"], ["pol", "V"]])
  core.setText(field, slot, text);
core.tick(slot, true);
const plan = core.prepare();
const nominal = plan.steps.map((step) => step.pause_ticks * plan.tick_ms);
const baudRate = lineBaudRate(core.design());
const failures = updateFailures(core.texts(), "the timing port");

class TimingPort extends EventTarget {
  constructor(writes) { super(); this.writes = writes; this.writable = null; }
  getInfo() { return {}; }
  async open() {
    this.writable = new WritableStream({ write: () => { this.writes.push(performance.now()); } });
  }
  async close() { this.writable = null; }
}

const errors = (starts, end) =>
  starts.map((start, i) => (starts[i + 1] ?? end) - start - nominal[i]);

const runs = {
  async sender() {
    const writes = [];
    const port = new TimingPort(writes);
    let end = null;
    let failed = null;
    const handle = lineOwner({ getPorts: async () => [port] }, realClock, (report) => {
      if (report.finished) end = performance.now();
      if ("failed" in report) failed = report.failed;
      if ("openFailed" in report) failed = `the timing port did not open: ${report.openFailed}`;
    });
    await handle({ open: { choice: { nth: 0 }, baudRate } });
    if (!failed) await handle({ send: { transmission: plan, failures } });
    if (failed) throw new Error(failed);
    await handle({ close: true });
    return errors(writes, end);
  },
  async bare() {
    const starts = [];
    for (const pause of nominal) {
      starts.push(performance.now());
      await new Promise((resolve) => setTimeout(resolve, pause));
    }
    return errors(starts, performance.now());
  },
};

onmessage = async ({ data }) => {
  try {
    postMessage({ errors: await runs[data](), planned_ms: nominal.reduce((sum, p) => sum + p, 0) });
  } catch (error) {
    postMessage({ failure: error.message });
  }
};
postMessage({ ready: true });
