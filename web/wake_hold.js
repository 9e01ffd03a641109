// The screen wake lock for exactly an update's run. The browser lets go of it whenever the tab
// is hidden, so it is taken again when the tab is visible again; the note says what a hidden
// tab means meanwhile.
export class WakeHold {
  constructor(note) {
    this.note = note;
    this.held = false;
    this.lock = null;
    document.addEventListener("visibilitychange", () => {
      if (this.held && document.visibilityState === "visible") this.take();
    });
  }

  async take() {
    try {
      this.lock = await navigator.wakeLock?.request("screen");
    } catch {
      this.lock = null; // refused (battery saver, policy): the update runs all the same
    }
    if (!this.held) this.lock?.release();
  }

  hold() {
    this.held = true;
    this.note.hidden = false;
    this.take();
  }

  release() {
    this.held = false;
    this.note.hidden = true;
    this.lock?.release();
    this.lock = null;
  }
}
