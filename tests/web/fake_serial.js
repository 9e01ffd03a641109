// A Web Serial port put in before the page loads, in the page and in every worker it starts.
// Every write is recorded with its time on the sending clock; writes in a worker reach the page's
// record through a BroadcastChannel. With `virtual`, the sender's clock seam gets a clock that
// jumps to each deadline, and that holds still after `holdAt` writes until released or stopped.
(() => {
  const config = self.fakeSerialConfig;
  const where = typeof window === "undefined" ? "worker" : "page";
  const channel = new BroadcastChannel("fake-serial");
  const record = { writes: [], opens: [], gone: false, released: false, granted: config.granted };
  const waiters = [];
  const wake = () => waiters.splice(0).forEach((resolve) => resolve());

  if (where === "page") {
    const Real = window.Worker;
    window.Worker = class extends Real {
      constructor(url, options) {
        const source = `self.fakeSerialConfig = ${JSON.stringify(config)};
          await import(${JSON.stringify(new URL("/test/fake_serial.js", location.href).href)});
          await import(${JSON.stringify(new URL(url, location.href).href)});`;
        super(URL.createObjectURL(new Blob([source], { type: "text/javascript" })), options);
      }
    };
    // The screen wake lock, as "held" and "released" in the order the page takes and lets go of it.
    record.wakeLock = [];
    const sentinel = { release: async () => record.wakeLock.push("released") };
    const wakeLock = { request: async () => { record.wakeLock.push("held"); return sentinel; } };
    Object.defineProperty(Navigator.prototype, "wakeLock", { get: () => wakeLock, configurable: true });
  }
  if (config.noSerial || (where === "worker" && config.noWorkerSerial)) {
    delete (where === "worker" ? WorkerNavigator : Navigator).prototype.serial;
    return;
  }

  let now = 0;
  if (config.virtual) {
    self.tervalinkClock = {
      now: () => now,
      async sleepUntil(deadline, signal) {
        while (record.writes.length >= (config.holdAt ?? Infinity) && !record.released && !signal.aborted)
          await new Promise((resolve) => {
            waiters.push(resolve);
            signal.addEventListener("abort", resolve, { once: true });
          });
        await new Promise((resolve) => setTimeout(resolve, 0));
        if (signal.aborted) return false;
        now = Math.max(now, deadline);
        return true;
      },
    };
  }
  const clock = () => (config.virtual ? now : performance.now());
  const hex = (bytes) => Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, "0")).join(" ");

  class FakePort extends EventTarget {
    constructor(info) { super(); this.info = info; this.writable = null; }
    getInfo() { return this.info; }
    async open(options) {
      if (this.writable) throw new DOMException("The port is already open.", "InvalidStateError");
      if (record.gone) throw new DOMException("Failed to open serial port.", "NetworkError");
      const opened = { where, ...options };
      record.opens.push(opened);
      channel.postMessage({ open: opened });
      this.writable = new WritableStream({
        write(chunk) {
          if (record.gone) throw new DOMException("The device has been lost.", "NetworkError");
          const write = { t: clock(), bytes: hex(chunk), where };
          record.writes.push(write);
          channel.postMessage({ write });
        },
      });
    }
    async close() { this.writable = null; }
  }
  const ports = config.ports.map((info) => new FakePort(info));

  const unplug = () => {
    record.gone = true;
    for (const port of ports) if (port.writable) port.dispatchEvent(new Event("disconnect"));
  };
  channel.onmessage = ({ data }) => {
    if (data.write && where === "page") record.writes.push(data.write);
    if (data.open && where === "page") record.opens.push(data.open);
    if (data.unplug) unplug();
    if (data.release) { record.released = true; wake(); }
  };

  const serial = new EventTarget();
  // The worker is told of no grant: it finds the port the page was granted, as Chromium's does.
  serial.getPorts = async () => (where === "worker" ? ports : ports.slice(0, record.granted));
  serial.requestPort = async () => {
    record.granted = ports.length;
    return ports[0];
  };
  Object.defineProperty(Object.getPrototypeOf(navigator), "serial", { get: () => serial, configurable: true });

  self.fakeSerial = {
    record,
    unplug() { unplug(); channel.postMessage({ unplug: true }); },
    release() { record.released = true; wake(); channel.postMessage({ release: true }); },
  };
})();
