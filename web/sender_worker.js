// The sending worker: dedicated workers keep their timers in a hidden tab. It owns the line and
// the clock where a worker has Web Serial, and says first of all whether it has.
import { sendingClock } from "./clock.js";
import { lineOwner } from "./sender.js";

const serial = self.navigator.serial;
if (serial) {
  const handle = lineOwner(serial, sendingClock(), (message) => postMessage(message));
  onmessage = ({ data }) => handle(data);
}
postMessage({ hello: { serial: Boolean(serial) } });
