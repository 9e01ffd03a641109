// The core's module through its C interface, as a front end holds it: the worked example, an
// import, the design, and generated tables whose frames, pauses, refusals and CHECK DATA lines
// must equal what the native tervalink-frames prints for the same entries (the refusals' own
// texts are pinned by the core's tests, which also run as WebAssembly, and by the page's).
//   node module_test.mjs tervalink_core.wasm NATIVE_TERVALINK_FRAMES
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { test } from "node:test";

import { loadCore } from "../../web/core_module.js";

const [modulePath, native] = process.argv.slice(2);
const core = await loadCore(readFileSync(modulePath));

// "freq:16=11778" as the tool takes it, into the module's table.
function enter(sets) {
  core.reset();
  for (const set of sets) {
    const [, name, index, text] = set.match(/^(\w+):(\d+)=(.*)$/);
    core.setText({ pos: "position", auto: "auto_rate" }[name] ?? name, Number(index), text);
  }
}

// What the native tool prints and its status; the arguments as --set NAME=TEXT pairs.
function run(command, sets, more = []) {
  const args = [command, ...sets.flatMap((set) => ["--set", set]), ...more];
  try {
    return { status: 0, out: execFileSync(native, args, { encoding: "utf8" }) };
  } catch (failed) {
    if (failed.status === null) throw failed; // not run at all
    return { status: failed.status, out: failed.stdout + failed.stderr };
  }
}

const hotbirdTp2 = ["freq:16=11778", "symb:16=27500", "pol:16=V", "nid:16=1"];

test("the worked example: HOTBIRD TP2 as its first frame, 30 ticks after it", () => {
  enter(hotbirdTp2);
  core.select(3);
  const table = core.tick(16, true);
  assert.deepEqual([table.selected, table.ticked[16], table.caption_emphasis[3]], [3, true, true]);
  const { steps, repetitions, frames_per_repetition: perRepetition, tick_ms } = core.prepare();
  assert.deepEqual([steps.length, repetitions, perRepetition, tick_ms], [45, 15, 3, 10]);
  assert.deepEqual(steps[0], { frame: "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                               kind: "TP", pause_ticks: 30, progress: null });
  assert.equal(steps[2].frame, "23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A");
});

test("an import fills the table, a bad line leaves it and says where", () => {
  core.reset();
  const good = Array.from({ length: 39 }, (_, i) => `S${i},${1000 + i},${i},${11000 + i},27500,${i % 2}`)
    .concat(["22000,27500,30000,1000,2000,3000,4000,5000,6000,7000", ""]).join("\r\n");
  const table = core.importFile("good.csv", new TextEncoder().encode(good));
  assert.deepEqual([table.position[12], table.nid[38], table.freq[0], table.pol[1], table.auto_rate[9]],
                   ["1012", "38", "11000", "H", "7000"]);
  assert.deepEqual(core.importFile("bad.csv", new TextEncoder().encode("S0,1,2\r\n")),
                   { failure: "bad.csv, line 1: expected 5 commas, found 2" });
  assert.equal(core.table().nid[38], "38");
  assert.throws(() => core.setText("nid", 39, "1"), RangeError);
});

test("the design, its fit and the update's texts, as the window has them", () => {
  const design = core.design();
  const named = (name) => design.controls.find((control) => control.object_name === name);
  assert.deepEqual([design.caption, design.message_caption, design.controls.length,
                    design.tab_chain.length, design.lamp_blink_ms, design.twips_per_pixel,
                    design.pixels_per_point],
                   ["Tervalink V 1.34 (ZEPHLA)", "Tervalink", 285, 238, 80, 15, 4 / 3]);
  assert.deepEqual(named("txtNID_16").box, { left: 2160, top: 840, width: 550, height: 315 });
  assert.deepEqual([named("txtNID_16").max_length, named("txtPol_16").max_length,
                    named("Frame1").colour, named("List2").visible], [5, 1, "#ff0000", false]);
  // 1288 x 515 pixels at 1; never above 1; a floor of 7 of the captions' 11 pixels per device pixel.
  assert.deepEqual([[1288, 515, 1], [2000, 1000, 1], [1000, 515, 1], [100, 100, 1], [100, 100, 2]]
    .map(([w, h, ratio]) => Math.round(core.designScale(w, h, ratio) * 1e4) / 1e4),
                   [1, 1, 0.7764, 0.6364, 0.3182]);
  assert.deepEqual([core.texts().cannot_open, core.texts().cannot_send],
                   ["Cannot open {port}: {reason}", "Cannot send to {port}: {reason}"]);
});

// A small generator with a seed, so a failure names a case that can be run again.
function random(seed) {
  return () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
}

test("generated tables: the same frames, pauses, refusals and CHECK DATA lines as natively", () => {
  const next = random(20261208);
  const pick = (list) => list[Math.floor(next() * list.length)];
  // Mostly texts every test passes, so that most updates are sent; the rest fail one test each.
  const texts = {
    nid: [["1", "0", "65535", "300"], ["", "-1", "70000", "169"]],
    freq: [["11778", "12750", "10700", "11000"], ["", "12751", "10787"]],
    symb: [["27500", "22000", "1000"], ["", "0", "70000"]],
    pol: [["V", "H", "v"], ["", "x"]],
  };
  const text = ([valid, invalid]) => pick(next() < 0.95 ? valid : invalid);
  for (let round = 0; round < 60; round++) {
    const choice = Math.floor(next() * 14);
    const slot = choice === 13 ? Math.floor(next() * 13) : choice;
    const rows = [0, 1, 2].filter(() => next() < 0.6);
    const sets = [`pos:${slot}=${text([["130", "48", "3592"], [""]])}`];
    for (const row of [0, 1, 2])
      for (const field of ["nid", "freq", "symb", "pol"])
        sets.push(`${field}:${slot + 13 * row}=${text(texts[field])}`);
    for (let k = 0; k < 10; k++) sets.push(`auto:${k}=${text([["27500", "22000", "30000"], ["35", ""]])}`);
    const ticks = choice === 13 ? [] : rows.map((row) => slot + 13 * row);

    enter(sets);
    core.select(choice);
    for (const index of ticks) core.tick(index, true);
    const prepared = core.prepare();
    const plan = run("plan", sets, ["--choice", String(choice), ...ticks.flatMap((i) => ["--tick", String(i)])]);
    const label = `round ${round}: ${plan.out.slice(0, 80)}`;
    if (prepared.steps) {
      assert.equal(plan.status, 0, label);
      let at = 0;
      const lines = prepared.steps.map((step) => `${(at += step.pause_ticks) - step.pause_ticks} ${step.frame}`);
      assert.equal(lines.concat(`end ${at}`, "").join("\n"), plan.out, label);
    } else {
      assert.equal(plan.status, prepared.refusal ? 3 : 4, label);
      assert.equal(plan.out.trim(), prepared.refusal ?? prepared.failure, label);
    }
    const check = run("check", sets);
    const checked = core.checkData();
    assert.equal(check.out, checked.lines.map((line) => line + "\n").join("") +
                 (checked.failure ? checked.failure + "\n" : ""), label);
  }
});
