// The page's side of the line: the port box, CONNECT and DISCONNECT, and the way to the sender,
// which runs in its worker where a worker has Web Serial and on this thread where not.
import { sendingClock } from "./clock.js";
import { lineOwner } from "./sender.js";

const hex = (id) => id.toString(16).toUpperCase().padStart(4, "0");

// A port's name in the port box: its USB ID (Chromium tells no serial number), and its place
// among ports of the same ID when there are several.
function portNames(ports) {
  return ports.map((port, i) => {
    const info = port.getInfo();
    const id = info.usbVendorId === undefined ? "serial port"
      : `USB ${hex(info.usbVendorId)}:${hex(info.usbProductId)}`;
    const same = ports.slice(0, i).filter((other) =>
      other.getInfo().usbVendorId === info.usbVendorId &&
      other.getInfo().usbProductId === info.usbProductId).length;
    return { name: same ? `${id} (${same + 1})` : id,
             choice: { usbVendorId: info.usbVendorId, usbProductId: info.usbProductId, nth: same } };
  });
}

async function startSender(onReport) {
  const worker = new Worker(new URL("./sender_worker.js", import.meta.url), { type: "module" });
  const hello = await new Promise((resolve) => {
    worker.onmessage = ({ data }) => resolve(data.hello);
  });
  if (hello.serial) {
    worker.onmessage = ({ data }) => onReport(data);
    return { post: (message) => worker.postMessage(message), where: "worker" };
  }
  worker.terminate();
  const handle = lineOwner(navigator.serial, sendingClock(), (data) => onReport(data));
  return { post: (message) => handle(message), where: "page" };
}

export class Connection {
  constructor(portBox) {
    this.portBox = portBox;
    this.entries = [];
    this.open = false;
    this.pending = null; // the answer an open or close waits for
    this.listener = () => {};
  }

  get available() { return "serial" in navigator; }

  async start(onReport) {
    if (!this.available) return;
    this.sender = await startSender((data) => {
      if (this.pending && ("opened" in data || "openFailed" in data || "closed" in data)) {
        const resolve = this.pending;
        this.pending = null;
        resolve(data);
      } else onReport(data);
    });
    await this.scan();
  }

  async scan() {
    if (!this.available) return;
    this.entries = portNames(await navigator.serial.getPorts());
    this.portBox.replaceChildren(...this.entries.map((entry) => new Option(entry.name)));
  }

  // The chooser, when the page may use no port yet (it needs the press's user activation).
  async choose() {
    if (this.entries.length) return true;
    try {
      await navigator.serial.requestPort();
    } catch {
      return false; // the user closed the chooser
    }
    await this.scan();
    return this.entries.length > 0;
  }

  get chosen() { return this.entries[this.portBox.selectedIndex] ?? null; }

  ask(message) {
    return new Promise((resolve) => {
      this.pending = resolve;
      this.sender.post(message);
    });
  }

  async connect(baudRate) {
    const answer = await this.ask({ open: { choice: this.chosen.choice, baudRate } });
    this.open = Boolean(answer.opened);
    return answer;
  }

  async close() {
    await this.ask({ close: true });
    this.open = false;
  }

  send(transmission, failures) { this.sender.post({ send: { transmission, failures } }); }
  stop(text) { this.sender.post({ stop: text }); }
}
