// The core's WebAssembly module (tervalink_core.wasm) behind plain methods, for the page and for
// Node alike. The module owns every rule and text; this file only moves bytes in and JSON out.
// Of WASI the module needs only what its C library's start-up and standard error use: writes to
// standard error go to console.error, nothing else is ever called.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

function wasiImports(memory) {
  const bad_file = 8; // WASI's EBADF
  return {
    fd_write(fd, iovs, count, written) {
      const view = new DataView(memory().buffer);
      let text = "";
      let total = 0;
      for (let i = 0; i < count; i++) {
        const at = view.getUint32(iovs + 8 * i, true);
        const size = view.getUint32(iovs + 8 * i + 4, true);
        text += decoder.decode(new Uint8Array(memory().buffer, at, size));
        total += size;
      }
      if (fd === 2) console.error(text);
      view.setUint32(written, total, true);
      return 0;
    },
    fd_close: () => bad_file,
    fd_seek: () => bad_file,
  };
}

export async function loadCore(source) {
  let instance;
  const memory = () => instance.exports.memory;
  const imports = { wasi_snapshot_preview1: wasiImports(memory) };
  ({ instance } = await WebAssembly.instantiate(await source, imports));
  const core = instance.exports;
  core._initialize();

  const put = (...parts) => {
    const bytes = parts.map((part) => (typeof part === "string" ? encoder.encode(part) : part));
    const size = bytes.reduce((sum, b) => sum + b.length, 0);
    const at = core.tl_input(size);
    let offset = at;
    for (const b of bytes) {
      new Uint8Array(memory().buffer, offset, b.length).set(b);
      offset += b.length;
    }
    return bytes.map((b) => b.length);
  };
  const answer = (size) => {
    if (size === 0) throw new RangeError("no such field, row or choice");
    return JSON.parse(decoder.decode(new Uint8Array(memory().buffer, core.tl_output(), size)));
  };
  const fields = ["position", "nid", "freq", "symb", "pol", "auto_rate"];

  return {
    fields,
    reset: () => core.tl_reset(),
    table: () => answer(core.tl_table()),
    setText(field, index, text) {
      const [size] = put(text);
      return answer(core.tl_set_text(fields.indexOf(field), index, size));
    },
    tick: (index, ticked) => answer(core.tl_tick(index, ticked ? 1 : 0)),
    select: (choice) => answer(core.tl_select(choice)),
    clear: () => answer(core.tl_clear()),
    importFile(name, bytes) {
      const [nameSize, size] = put(name, bytes);
      return answer(core.tl_import(nameSize, size));
    },
    prepare: () => answer(core.tl_prepare()),
    checkData: () => answer(core.tl_check_data()),
    design: () => answer(core.tl_design()),
    designScale: (width, height, devicePixelRatio) =>
      core.tl_design_factor(width, height, devicePixelRatio),
    texts: () => answer(core.tl_texts()),
    decode(bytes) {
      const [size] = put(bytes);
      return answer(core.tl_decode(size));
    },
  };
}

// The baud rate the line runs at: the baud box's design entry.
export function lineBaudRate(design) {
  return Number(design.controls.find((c) => c.object_name === "cboBurd").items[design.line_baud_entry]);
}
