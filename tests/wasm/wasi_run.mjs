// Runs a wasm32-wasi program under Node's WASI, as CTest runs an emulator: the arguments after
// the module's path are its own, its exit status is ours. The program sees the build's temporary
// folder as /tmp, for tests that write files of their own.
import { readFile, mkdtemp, rm } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { WASI } from "node:wasi";

const [path, ...args] = process.argv.slice(2);
const scratch = await mkdtemp(join(tmpdir(), "tervalink-wasi-"));
const wasi = new WASI({
  version: "preview1",
  args: [path, ...args],
  env: { TMPDIR: "/tmp" },
  preopens: { "/tmp": scratch },
  returnOnExit: true,
});
try {
  const { instance } = await WebAssembly.instantiate(await readFile(path), wasi.getImportObject());
  process.exitCode = wasi.start(instance);
} finally {
  await rm(scratch, { recursive: true, force: true });
}
