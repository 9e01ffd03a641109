// The page in Chromium, driven as a user drives it: clicks at the design's positions and
// keystrokes, with a fake Web Serial port that records every write.
//   node web_test.mjs CASE    (TERVALINK_WEB_SITE: the built site; CHROMIUM: the browser)
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { join } from "node:path";
import { test } from "node:test";
import puppeteer from "puppeteer-core";

const here = new URL(".", import.meta.url).pathname;
const site = process.env.TERVALINK_WEB_SITE ?? join(here, "../../build/web");
const { loadCore } = await import(join(site, "core_module.js"));
const core = await loadCore(readFileSync(join(site, "tervalink_core.wasm")));
const design = core.design();

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".svg": "image/svg+xml", ".webmanifest": "application/manifest+json" };
const server = createServer((request, response) => {
  const path = new URL(request.url, "http://localhost").pathname;
  const file = path.startsWith("/test/") ? join(here, path.slice(6)) : join(site, path === "/" ? "index.html" : path);
  try {
    const body = readFileSync(file);
    response.writeHead(200, { "content-type": types[file.slice(file.lastIndexOf("."))] ?? "application/octet-stream" });
    response.end(body);
  } catch {
    response.writeHead(404).end();
  }
});
// TERVALINK_WEB_PORT: a fixed origin, for a serial policy that grants a port to it.
await new Promise((resolve) => server.listen(Number(process.env.TERVALINK_WEB_PORT ?? 0), "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
const fakeSource = readFileSync(join(here, "fake_serial.js"), "utf8");

// TERVALINK_WEB_SLOW: how many times longer than here every wait may take (an emulated CPU).
const slow = Number(process.env.TERVALINK_WEB_SLOW ?? 1);
const ftdi = { usbVendorId: 0x0403, usbProductId: 0x6001 };

// real: the browser's own Web Serial, without the fake port.
async function open({ width = 1400, height = 700, real = false, ...config } = {}) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    timeout: 30000 * slow,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  const page = await browser.newPage();
  page.setDefaultTimeout(30000 * slow);
  page.on("pageerror", (error) => console.error("page:", error.message));
  page.on("console", (m) => m.type() === "error" && console.error("console:", m.text()));
  await page.setViewport({ width, height });
  if (!real) await page.evaluateOnNewDocument(`self.fakeSerialConfig = ${JSON.stringify(
    { ports: [ftdi], granted: 1, ...config })};\n${fakeSource}`);
  await page.goto(`${origin}/index.html`);
  await page.waitForSelector("html[data-ready]", { timeout: 10000 * slow }).catch(async (e) => { console.error(await page.evaluate(() => [typeof fakeSerial, document.body.innerHTML.length, navigator.serial && 1])); page.workers().forEach(w => console.error("worker", w.url())); throw e; });
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
    await this.click(name);
    await this.page.keyboard.down("Control");
    await this.page.keyboard.press("a");
    await this.page.keyboard.up("Control");
    await this.page.keyboard.press("Backspace");
    await this.page.keyboard.type(text);
  }
  text(name) { return this.page.$eval(`#${name}`, (node) => node.textContent); }
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
const asPlan = (writes) => writes.map((w) => ({ tick: Math.round((w.t - writes[0].t) / 10), bytes: w.bytes }));

const sampleFile = join(here, "../../packaging/sample-data.csv");
const autoRates = ["27500", "22000", "29900", "30000", "28000", "29700", "24500", "25000", "23000", "29950"];
async function typeAutoSymbol(driver, rates = autoRates) {
  await driver.click("opSat_13");
  for (const [k, rate] of rates.entries()) await driver.type(`txtAutoSym_${k}`, rate);
}


// An update sent on the virtual clock equals the native tool's plan: bytes, order and ticks.
async function sendsPlan(config, enter, planFile, progressMaximum) {
  const driver = await open({ virtual: true, ...config });
  await enter(driver);
  await driver.connect();
  await driver.click("cmdSend");
  await driver.waitForStatus("Update has been completed.");
  const writes = await driver.writes();
  assert.deepEqual(asPlan(writes), plan(planFile));
  assert.deepEqual([...new Set(writes.map((w) => w.where))], [config.noWorkerSerial ? "page" : "worker"]);
  const opens = await driver.page.evaluate(() => fakeSerial.record.opens);
  assert.equal(opens.length, 1);
  assert.equal(opens[0].baudRate, 57600);
  assert.ok(opens[0].bufferSize >= 24);
  assert.deepEqual(await driver.page.$eval("#pBar", (bar) => [bar.max, bar.value]), [progressMaximum, progressMaximum]);
  assert.deepEqual(await driver.page.evaluate(() => [document.documentElement.classList.contains("waiting"),
    document.getElementById("pic").className.includes("white"), document.getElementById("pic").className.includes("blue"),
    document.getElementById("sleep-note").hidden]), [false, true, false, true]);
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
      await cut(driver);
      assert.equal(await driver.message(), text);
      assert.equal(await driver.text("lblSystem"), "Error occurred during updating. Please try again.");
      assert.equal(await driver.text("CmdConnect"), "CONNECT");
      assert.equal(await driver.page.$eval("#cmdSend", (b) => b.disabled), true);
      await driver.page.evaluate(() => fakeSerial.release());
      await new Promise((resolve) => setTimeout(resolve, 300));
      assert.equal((await driver.writes()).length, 4);
      await driver.close();
    }
  },

  async import() {
    const driver = await open();
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

  async no_web_serial() {
    const driver = await open({ noSerial: true });
    await driver.click("CmdConnect");
    assert.equal(await driver.message(), "This browser cannot reach a serial port. Open this page in " +
      "Chrome or Edge, version 89 or later, on a desktop (Windows, macOS, Linux or ChromeOS).");
    assert.equal(await driver.text("CmdConnect"), "CONNECT");
    await driver.importFile(sampleFile);
    assert.equal(await driver.page.$eval("#txtNID_0", (box) => box.value), "2");
    await driver.close();
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
