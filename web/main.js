// The page: the window of the module's design, bound to the module. Every rule, text, frame and
// pause comes from the module; the page shows them, writes the frames and keeps the clock.
import { lineBaudRate, loadCore } from "./core_module.js";
import { Connection } from "./connection.js";
import { buildWindow, layOut, messageBoxes, TableView } from "./view.js";
import { updateFailures } from "./sender.js";
import { WakeHold } from "./wake_hold.js";

// The page's own texts: what only a browser can be asked.
const no_web_serial = "This browser cannot reach a serial port. Open this page in Chrome or " +
  "Edge, version 89 or later, on a desktop (Windows, macOS, Linux or ChromeOS).";
const port_withdrawn = "the browser no longer lets this page use the port; press CONNECT again";

const core = await loadCore(
  fetch(new URL("./tervalink_core.wasm", import.meta.url)).then((response) => response.arrayBuffer()));
const design = core.design();
const texts = core.texts();
document.title = design.caption;

const root = document.getElementById("window");
const nodes = buildWindow(root, design);
const named = Object.fromEntries(design.controls.map((control, i) => [control.object_name, nodes[i]]));
const fit = () => layOut(root, design, nodes,
  core.designScale(innerWidth, innerHeight, devicePixelRatio));
fit();
addEventListener("resize", fit);

const table = new TableView(design, nodes);
const show = (answer) => table.show(answer);
const message = messageBoxes(design.message_caption);
const wake = new WakeHold(document.getElementById("sleep-note"));

const { cboPort, cboBurd, cmdScan, cmdOpenSave, CmdConnect, cmdSend, pBar, lblSystem, pic } = named;
cboBurd.selectedIndex = design.line_baud_entry;
pBar.value = pBar.max;
const baudRate = lineBaudRate(design);

design.controls.forEach((control, i) => {
  const input = nodes[i].querySelector("input") ?? nodes[i];
  if (control.kind === "text_box")
    input.addEventListener("input", () => show(core.setText(
      table.boxes.find((box) => box.node === input).field, control.index, input.value)));
  else if (control.name === "opSat")
    input.addEventListener("click", () => show(core.select(control.index)));
  else if (control.name === "chTp")
    input.addEventListener("click", () => show(core.tick(control.index, input.checked)));
});
show(core.table());

// The lamp blinks while frames go out and rests white after; before the first update it shows
// the window's own colour.
let blink = null;
function showSending(sending) {
  clearInterval(blink);
  blink = null;
  pic.classList.remove("blue");
  pic.classList.add("white");
  if (sending)
    blink = setInterval(() => pic.classList.toggle("blue"), design.lamp_blink_ms);
}
const showWaiting = (waiting) => document.documentElement.classList.toggle("waiting", waiting);

const connection = new Connection(cboPort);
let running = false;

function showLineState() {
  CmdConnect.textContent = connection.open ? design.disconnect_caption : design.connect_caption;
  cmdSend.disabled = !connection.open;
}

function endTransmission() {
  running = false;
  wake.release();
  showSending(false);
  lblSystem.textContent = texts.completed;
  showWaiting(false);
}

async function takeErrorPath(description) {
  running = false;
  wake.release();
  showSending(false);
  await connection.close();
  showLineState();
  lblSystem.textContent = texts.error;
  showWaiting(false);
  await message(description);
}

await connection.start((report) => {
  if ("progress" in report) pBar.value = report.progress;
  else if (report.finished) endTransmission();
  else if ("failed" in report) takeErrorPath(report.failed);
});

cmdScan.addEventListener("click", () => connection.scan());

CmdConnect.addEventListener("click", async () => {
  if (!connection.available) return message(no_web_serial);
  if (connection.open) {
    // The sender stops before its next frame; the update then fails as a write on a closed port.
    if (running) return connection.stop(texts.closed_port);
    await connection.close();
    return showLineState();
  }
  if (!(await connection.choose())) return;
  const name = connection.chosen.name;
  const answer = await connection.connect(baudRate);
  showLineState();
  if (answer.openFailed !== undefined) {
    showWaiting(false);
    await connection.scan();
    await message(texts.cannot_open.replace("{port}", name).replace("{reason}", answer.openFailed ?? port_withdrawn));
  }
});

cmdSend.addEventListener("click", async () => {
  // One line, one transmission: a second would interleave its frames with the first's.
  if (running) return;
  const prepared = core.prepare();
  if ("refusal" in prepared) {
    if (prepared.clash) lblSystem.textContent = prepared.refusal;
    return message(prepared.refusal);
  }
  if ("failure" in prepared) return takeErrorPath(prepared.failure);
  showWaiting(true);
  showSending(true);
  lblSystem.textContent = texts.updating;
  pBar.max = prepared.progress_maximum;
  pBar.value = 1;
  running = true;
  wake.hold();
  connection.send(prepared, updateFailures(texts, connection.chosen.name));
});

// "Open a Data File ..." and a file dropped on the page: the same reader, the same messages.
const picker = document.getElementById("data-file");
async function importFile(file) {
  const answer = core.importFile(file.name, new Uint8Array(await file.arrayBuffer()));
  if ("failure" in answer) await message(answer.failure);
  else show(answer);
}
cmdOpenSave.addEventListener("click", () => picker.click());
picker.addEventListener("change", () => {
  const [file] = picker.files;
  picker.value = "";
  if (file) importFile(file);
});
addEventListener("dragover", (event) => event.preventDefault());
addEventListener("drop", (event) => {
  event.preventDefault();
  const [file] = event.dataTransfer.files;
  if (file) importFile(file);
});

if ("serviceWorker" in navigator && location.protocol !== "file:")
  navigator.serviceWorker.register("./service_worker.js").catch(() => {});
document.documentElement.dataset.ready = "true";
