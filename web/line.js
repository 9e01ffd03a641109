// One serial port as the sender writes to it. Chromium hands written bytes to the OS from a ring
// buffer of `bufferSize` bytes; a frame that crosses the ring's end leaves as two writes. So the
// line counts where in the ring the next frame starts, and when the next frame would cross the
// end it reopens the port (in the pause before that frame), which starts the ring again.
const ring_bytes = 4096;

export class Line {
  constructor(port, baudRate) {
    this.port = port;
    this.baudRate = baudRate;
    this.writer = null;
    this.offset = 0;
  }

  async open() {
    await this.port.open({ baudRate: this.baudRate, bufferSize: ring_bytes });
    this.writer = this.port.writable.getWriter();
    this.offset = 0;
  }

  // One frame, one write.
  async write(bytes) {
    await this.writer.write(bytes);
    this.offset = (this.offset + bytes.length) % ring_bytes;
  }

  async makeRoom(length) {
    if (this.offset === 0 || this.offset + length <= ring_bytes) return;
    await this.close();
    await this.open();
  }

  async close() {
    const writer = this.writer;
    this.writer = null;
    if (writer) {
      await writer.close().catch(() => writer.abort().catch(() => {}));
      writer.releaseLock();
    }
    await this.port.close().catch(() => {});
  }
}

// The port the page chose, found again among the ports this origin may use (a SerialPort cannot
// be posted to a worker): by USB vendor and product ID and its place among the ports alike.
export async function findPort(serial, choice) {
  const same = (await serial.getPorts()).filter((port) => {
    const info = port.getInfo();
    return info.usbVendorId === choice.usbVendorId && info.usbProductId === choice.usbProductId;
  });
  return same[choice.nth] ?? null;
}
