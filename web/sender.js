// The end that owns the line and the clock: it opens the chosen port, sends an update's frames on
// absolute deadlines and closes the port. It runs in the sending worker, or on the page's own
// thread where a worker has no Web Serial. It speaks in messages, in both places alike:
//   in:  {open: {choice, baudRate}}, {send: {transmission, failures}}, {stop: text}, {close: true}
//   out: {opened: true} | {openFailed: reason}, {progress: n}, {finished: true}, {failed: text},
//        {closed: true}
import { Line, findPort } from "./line.js";

const bytesOf = (hex) => Uint8Array.from(hex.split(" "), (byte) => parseInt(byte, 16));

// The texts an update on `port` fails with, made from the module's texts: what `send` is given.
export function updateFailures(texts, port) {
  const cannotSend = texts.cannot_send.replace("{port}", port);
  return { closedPort: texts.closed_port, cannotSend,
    deviceGone: cannotSend.replace("{reason}", texts.device_gone) };
}

export function lineOwner(serial, clock, post) {
  let line = null;
  let run = null; // the running update's AbortController

  async function transmit({ steps, tick_ms }, signal) {
    for (let i = 0; i < steps.length; i++) {
      if (signal.aborted) throw signal.reason;
      await line.write(bytesOf(steps[i].frame));
      // The pause counts from the write's end: a write held up (the thread preempted) then
      // lengthens it, never shortens the gap to the next frame.
      const written = clock.now();
      if (i + 1 < steps.length) await line.makeRoom(bytesOf(steps[i + 1].frame).length);
      if (!(await clock.sleepUntil(written + steps[i].pause_ticks * tick_ms, signal)))
        throw signal.reason;
      if (steps[i].progress !== null) post({ progress: steps[i].progress });
    }
  }

  async function send({ transmission, failures }) {
    const controller = new AbortController();
    run = controller;
    const gone = () => controller.abort(failures.deviceGone);
    line.port.addEventListener("disconnect", gone);
    try {
      await transmit(transmission, controller.signal);
      post({ finished: true });
    } catch (error) {
      // A stop names its own failure; a write that failed says why, an unplugged adapter as such.
      const text = controller.signal.aborted ? controller.signal.reason
        : error?.name === "NetworkError" ? failures.deviceGone
        : failures.cannotSend.replace("{reason}", error?.message ?? String(error));
      await closeLine();
      post({ failed: text });
    } finally {
      line?.port.removeEventListener("disconnect", gone);
      run = null;
    }
  }

  async function closeLine() {
    const closing = line;
    line = null;
    if (closing) await closing.close();
  }

  return async function handle(message) {
    if (message.open) {
      const port = await findPort(serial, message.open.choice);
      if (!port) return post({ openFailed: null });
      const opening = new Line(port, message.open.baudRate);
      try {
        await opening.open();
      } catch (error) {
        return post({ openFailed: error?.message ?? String(error) });
      }
      line = opening;
      post({ opened: true });
    } else if (message.send) {
      if (line) await send(message.send);
      else post({ failed: message.send.failures.closedPort });
    } else if (message.stop) {
      run?.abort(message.stop);
    } else if (message.close) {
      if (!run) await closeLine();
      post({ closed: true });
    }
  };
}
