// The page in Chromium, driven as a user drives it: clicks at the design's positions and
// keystrokes, with a fake Web Serial port that records every write.
//   node web_test.mjs CASE    (TERVALINK_WEB_SITE: the built site; CHROMIUM: the browser)
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { test } from "node:test";

import { launchChromium, serveSite, site } from "./browser_rig.mjs";

const here = new URL(".", import.meta.url).pathname;
const { loadCore } = await import(join(site, "core_module.js"));
const core = await loadCore(readFileSync(join(site, "tervalink_core.wasm")));
const design = core.design();

// TERVALINK_WEB_PORT: a fixed origin, for a serial policy that grants a port to it.
const server = await serveSite({ "/test/": here }, Number(process.env.TERVALINK_WEB_PORT ?? 0));
const { origin } = server;
const fakeSource = readFileSync(join(here, "fake_serial.js"), "utf8");

// TERVALINK_WEB_SLOW: how many times longer than here every wait may take (an emulated CPU).
const slow = Number(process.env.TERVALINK_WEB_SLOW ?? 1);
const ftdi = { usbVendorId: 0x0403, usbProductId: 0x6001 };

// real: the browser's own Web Serial, without the fake port.
async function open({ width = 1400, height = 700, real = false, ...config } = {}) {
  const browser = await launchChromium({ timeout: 30000 * slow });
  const page = await browser.newPage();
  page.setDefaultTimeout(30000 * slow);
  page.on("pageerror", (error) => console.error("page:", error.message));
  page.on("console", (m) => m.type() === "error" && console.error("console:", m.text()));
  await page.setViewport({ width, height });
  if (!real) await page.evaluateOnNewDocument(`self.fakeSerialConfig = ${JSON.stringify(
    { ports: [ftdi], granted: 1, ...config })};\n${fakeSource}`);
  await page.goto(`${origin}/index.html`);
  await page.waitForSelector("html[data-ready]", { timeout: 10000 * slow });
  const factor = core.designScale(width, height, 1);
  return new Driver(browser, page, factor);
}

const byName = Object.fromEntries(design.controls.map((control) => [control.object_name, control]));
// A control's box on the window in twips: its container's corner plus its own.
function windowBox(control) {
  const box = { ...control.box };
  for (let c = control; c.container >= 0; ) {
    c = design.controls[c.container];
    box.left += c.box.left;
    box.top += c.box.top;
  }
  return box;
}

class Driver {
  constructor(browser, page, factor) { Object.assign(this, { browser, page, factor }); }
  close() { return this.browser.close(); }
  // Design box × factor in CSS pixels.
  expectedBox(name) {
    const box = windowBox(byName[name]);
    const px = (twips) => (twips / 15) * this.factor;
    return { left: px(box.left), top: px(box.top), width: px(box.width), height: px(box.height) };
  }
  // Waits for a condition in the page; on a timeout, says what the page showed.
  async until(condition, options, ...args) {
    try {
      return await this.page.waitForFunction(condition, { timeout: 20000 * slow, ...options }, ...args);
    } catch (error) {
      const shown = await this.page.evaluate(() => ["lblSystem", "CmdConnect"].map((id) =>
        document.getElementById(id).textContent).concat(document.querySelector("dialog[open] p")?.textContent ?? "",
        self.fakeSerial?.record.writes.length));
      throw new Error(`${error.message}; the page shows ${JSON.stringify(shown)}`);
    }
  }
  async click(name) {
    const box = this.expectedBox(name);
    await this.page.mouse.click(box.left + box.width / 2, box.top + box.height / 2);
  }
  async type(name, text) {
    const box = this.expectedBox(name); // a triple click selects the box's whole text
    await this.page.mouse.click(box.left + box.width / 2, box.top + box.height / 2, { count: 3 });
    await this.page.keyboard.press("Backspace");
    await this.page.keyboard.type(text);
  }
  text(name) { return this.page.$eval(`#${name}`, (node) => node.textContent); }
  // Another tab in front; once the page says it is hidden, it notes if it is shown again.
  async hide() {
    await (await this.browser.newPage()).bringToFront();
    await this.page.waitForFunction(() => document.visibilityState === "hidden", { polling: 50 });
    await this.page.evaluate(() => document.addEventListener("visibilitychange", () => (window.shown = true)));
  }
  hiddenThroughout() { return this.page.evaluate(() => document.visibilityState === "hidden" && !window.shown); }
  writes() { return this.page.evaluate(() => fakeSerial.record.writes); }
  // The open message box's text (waiting for it), closed with the keyboard as a user would.
  async message() {
    await this.page.waitForSelector("dialog#message[open]");
    const text = await this.page.$eval("dialog#message", (d) => [d.querySelector(".caption").textContent, d.querySelector("p").textContent]);
    await this.page.keyboard.press("Enter");
    await this.page.waitForSelector("dialog#message:not([open])");
    assert.equal(text[0], "Tervalink");
    return text[1];
  }
  waitForStatus(text, timeout = 60000 * slow) {
    return this.until((t) => document.getElementById("lblSystem").textContent === t,
      { timeout, polling: 50 }, text);
  }
  async connect() {
    await this.click("CmdConnect");
    await this.until(() => document.getElementById("CmdConnect").textContent === "DISCONNECT", {});
  }
  async importFile(path) {
    // The chooser's interception is switched on asynchronously: give it a moment before the click.
    const choosing = this.page.waitForFileChooser({ timeout: 10000 * slow });
    await new Promise((resolve) => setTimeout(resolve, 200));
    await this.click("cmdOpenSave");
    const chooser = await choosing;
    if (path) await chooser.accept([path]);
    else await chooser.cancel();
  }
}

// The plan of the native tool: "tick hex" lines, then "end ticks".
function plan(file) {
  return readFileSync(join(here, file), "utf8").trim().split("\n").filter((l) => !l.startsWith("end"))
    .map((line) => ({ tick: Number(line.split(" ")[0]), bytes: line.slice(line.indexOf(" ") + 1) }));
}
// The writes against the plan: the same frames in order, each gap from the plan's ticks (10 ms)
// to at most `slack` ms more.
function assertPlan(writes, planned, slack) {
  assert.deepEqual(writes.map((w) => w.bytes), planned.map((p) => p.bytes));
  for (let i = 1; i < writes.length; i++) {
    const [gap, nominal] = [writes[i].t - writes[i - 1].t, (planned[i].tick - planned[i - 1].tick) * 10];
    assert.ok(gap >= nominal && gap <= nominal + slack,
      `frame ${i + 1} came ${gap.toFixed(2)} ms after the one before; the plan says ${nominal} ms, at most ${slack} more`);
  }
}

const sampleFile = join(here, "../../packaging/sample-data.csv");
const autoRates = ["27500", "22000", "29900", "30000", "28000", "29700", "24500", "25000", "23000", "29950"];
async function typeAutoSymbol(driver, rates = autoRates) {
  await driver.click("opSat_13");
  for (const [k, rate] of rates.entries()) await driver.type(`txtAutoSym_${k}`, rate);
}


// An update sent on the virtual clock equals the native tool's plan: bytes, order and ticks. Live
// (the real clock, the page hidden behind another tab all along), every pause is at least the
// plan's and at most 250 ms more: a hidden page's own timers wake once a second, its worker's on
// time, and on a 2-core machine loaded fivefold bench/web/pause_bench.mjs saw them 102 ms late.
async function sendsPlan(config, enter, planFile, progressMaximum) {
  const driver = await open({ virtual: !config.live, ...config });
  await enter(driver);
  await driver.connect();
  if (config.live) await driver.hide();
  await driver.click("cmdSend");
  await driver.waitForStatus("Update has been completed.");
  if (config.live) assert.ok(await driver.hiddenThroughout(), "the page was shown during the update");
  const writes = await driver.writes();
  assertPlan(writes, plan(planFile), config.live ? 250 : 0);
  assert.deepEqual([...new Set(writes.map((w) => w.where))], [config.noWorkerSerial ? "page" : "worker"]);
  const opens = await driver.page.evaluate(() => fakeSerial.record.opens);
  assert.equal(opens.length, 1);
  assert.equal(opens[0].baudRate, 57600);
  assert.ok(opens[0].bufferSize >= 24);
  assert.deepEqual(await driver.page.$eval("#pBar", (bar) => [bar.max, bar.value]), [progressMaximum, progressMaximum]);
  assert.deepEqual(await driver.page.evaluate(() => [document.documentElement.classList.contains("waiting"),
    document.getElementById("pic").className.includes("white"), document.getElementById("pic").className.includes("blue"),
    document.getElementById("sleep-note").hidden, fakeSerial.record.wakeLock]), [false, true, false, true, ["held", "released"]]);
  await driver.close();
}

const threeRows = async (driver) => {
  await driver.importFile(sampleFile);
  await driver.until(() => document.getElementById("txtNID_3").value === "318", {});
  await driver.click("opSat_3");
  for (const row of [3, 16, 29]) await driver.click(`chTp_${row}`);
};

// A refused UPDATE: its message box and status line; nothing written, the port still open.
const refusals = [
  { enter: async () => {}, text: "Select a satellite to update", status: "" },
  { enter: async (d) => d.click("opSat_3"), text: "Select TPs to update", status: "" },
  { enter: async (d) => { await d.click("opSat_3"); await d.click("chTp_3"); await d.type("txtPos_3", ""); },
    text: "Some of the required field(s) is(are) empty. Please fill out all the checked TP information.", status: "" },
  { enter: async (d) => typeAutoSymbol(d, autoRates.slice(0, 9)),
    text: "Some of the required field(s) is(are) empty. Please fill out all the information.", status: "" },
  { enter: async (d) => typeAutoSymbol(d, [...autoRates.slice(0, 9), "32001"]),
    text: "Symbol Rate must be in positive numbers.", status: "" },
  { enter: async (d) => typeAutoSymbol(d, Array(10).fill("0")),
    text: "Change the symbolrate informations (DATA FORMAT ERROR)",
    status: "Change the symbolrate informations (DATA FORMAT ERROR)" },
];

// A cut update: the error path with its texts, and no frame after the cut.
const cuts = [
  { cut: (d) => d.click("CmdConnect"),
    text: "Cannot send to the antenna unit: the port is closed; press CONNECT and start the update again" },
  { cut: (d) => d.page.evaluate(() => fakeSerial.unplug()),
    text: "Cannot send to USB 0403:6001: the device has gone (unplugged?)" },
];

const cases = {
  auto_symbol: () => sendsPlan({}, typeAutoSymbol, "plan_auto_symbol.txt", 15),
  live_hidden: () => sendsPlan({ live: true }, typeAutoSymbol, "plan_auto_symbol.txt", 15),
  auto_symbol_on_page_thread: () => sendsPlan({ noWorkerSerial: true }, typeAutoSymbol, "plan_auto_symbol.txt", 15),
  three_rows: () => sendsPlan({}, threeRows, "plan_hotbird_three_rows.txt", 45),

  async refusals() {
    const driver = await open({ virtual: true });
    for (const refusal of refusals) {
      await driver.page.reload();
      await driver.page.waitForSelector("html[data-ready]");
      await refusal.enter(driver);
      await driver.connect();
      await driver.click("cmdSend");
      assert.equal(await driver.message(), refusal.text);
      assert.equal(await driver.text("lblSystem"), refusal.status);
      assert.equal(await driver.text("CmdConnect"), "DISCONNECT");
      assert.deepEqual(await driver.writes(), []);
    }
    await driver.close();
  },

  async cut_updates() {
    for (const { cut, text } of cuts) {
      const driver = await open({ virtual: true, holdAt: 4 });
      await typeAutoSymbol(driver);
      await driver.connect();
      await driver.click("cmdSend");
      await driver.page.waitForFunction(() => fakeSerial.record.writes.length === 4);
      const shown = () => driver.page.evaluate(() => [document.getElementById("lblSystem").textContent,
        document.documentElement.classList.contains("waiting"), document.getElementById("sleep-note").hidden,
        fakeSerial.record.wakeLock]);
      assert.deepEqual(await shown(), ["Updating ...   Please wait a few minutes.", true, false, ["held"]]);
      await cut(driver);
      assert.equal(await driver.message(), text);
      assert.deepEqual(await shown(), ["Error occurred during updating. Please try again.", false, true,
        ["held", "released"]]);
      assert.equal(await driver.text("CmdConnect"), "CONNECT");
      assert.equal(await driver.page.$eval("#cmdSend", (b) => b.disabled), true);
      await driver.page.evaluate(() => fakeSerial.release());
      await new Promise((resolve) => setTimeout(resolve, 300));
      assert.equal((await driver.writes()).length, 4);
      await driver.close();
    }
  },

  // Without Web Serial, CONNECT says which browsers reach a port; the table and the import work
  // as with it (an import with it: three_rows, real_port).
  async import_without_web_serial() {
    const driver = await open({ noSerial: true });
    await driver.click("CmdConnect");
    assert.equal(await driver.message(), "This browser cannot reach a serial port. Open this page in " +
      "Chrome or Edge, version 89 or later, on a desktop (Windows, macOS, Linux or ChromeOS).");
    assert.equal(await driver.text("CmdConnect"), "CONNECT");
    await driver.importFile(sampleFile);
    await driver.until(() => document.getElementById("txtNID_0").value === "2", {});
    const typed = () => driver.page.$$eval("input[type=text]", (boxes) => boxes.map((b) => `${b.id}=${b.value}`));
    const imported = await typed();
    for (const box of ["txtPos_0=282", "txtNID_0=2", "txtFreq_0=10773", "txtSym_0=22000", "txtPol_0=H",
      "txtFreq_29=12476", "txtAutoSym_9=29950"])
      assert.ok(imported.includes(box), box);
    await driver.importFile(join(here, "bad_line.csv"));
    assert.equal(await driver.message(), "bad_line.csv, line 2: expected 5 commas, found 0");
    assert.deepEqual(await typed(), imported);
    await driver.importFile(null);
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await driver.page.$eval("dialog#message", (d) => d.open), false);
    assert.deepEqual(await typed(), imported);
    await driver.close();
  },

  async layout() {
    for (const [width, height] of [[1400, 700], [1000, 600], [800, 500]]) {
      const driver = await open({ width, height });
      for (const control of design.controls.filter((c) => c.visible)) {
        const box = await driver.page.$eval(`#${control.object_name}`, (node) => {
          const r = node.getBoundingClientRect();
          return { left: r.left, top: r.top, width: r.width, height: r.height };
        });
        const expected = driver.expectedBox(control.object_name);
        for (const side of ["left", "top", "width", "height"])
          assert.ok(Math.abs(box[side] - expected[side]) <= 1,
            `${control.object_name} ${side} at ${width}x${height}: ${box[side]} for ${expected[side]}`);
      }
      assert.deepEqual(await driver.page.evaluate(() => ["List2", "cmdCheck"].map((id) =>
        document.getElementById(id).checkVisibility())), [false, false]);
      assert.deepEqual(await driver.page.evaluate(() => [document.getElementById("cboBurd").value,
        document.getElementById("pBar").value, document.getElementById("cmdSend").disabled]), ["57600", 100, true]);
      await driver.close();
    }
  },

  // The browser's own Web Serial on the port a serial policy grants the page (tests/guest, on
  // TCG): the sample file's AUTO SYMBOL, imported rather than typed, in a small window, for less
  // to paint.
  async real_port() {
    const driver = await open({ real: true, width: 800, height: 500 });
    await driver.importFile(sampleFile);
    await driver.until(() => document.getElementById("txtAutoSym_9").value === "29950", {});
    await driver.click("opSat_13");
    await driver.connect();
    assert.equal(await driver.page.$eval("#cboPort", (box) => box.value), "USB 0403:6001");
    await driver.click("cmdSend");
    await driver.waitForStatus("Update has been completed.");
    await driver.close();
  },

  async chooser() {
    const driver = await open({ virtual: true, granted: 0 });
    assert.equal(await driver.page.$eval("#cboPort", (box) => box.options.length), 0);
    await driver.connect();
    assert.equal(await driver.page.$eval("#cboPort", (box) => box.value), "USB 0403:6001");
    await driver.close();
  },
};

const name = process.argv[2];
test(name, { timeout: 180000 * slow }, async () => {
  try {
    await cases[name]();
  } finally {
    server.close();
  }
});
