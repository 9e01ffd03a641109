// The built site on a local server, and Debian's Chromium headless as a user's browser runs it:
// shared by the page's tests and its pause benchmark.
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { createRequire } from "node:module";
import { join } from "node:path";

const here = new URL(".", import.meta.url).pathname;
export const site = process.env.TERVALINK_WEB_SITE ?? join(here, "../../build/web");
const puppeteer = createRequire(join(here, "package.json"))("puppeteer-core");

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".svg": "image/svg+xml", ".webmanifest": "application/manifest+json" };

// The site at "/", and each folder of `folders` ({"/prefix/": path}) under its prefix, on `port`
// (0: any free one).
export async function serveSite(folders = {}, port = 0) {
  const server = createServer((request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
    const prefix = Object.keys(folders).find((start) => path.startsWith(start));
    const file = prefix ? join(folders[prefix], path.slice(prefix.length) || "index.html")
      : join(site, path === "/" ? "index.html" : path);
    try {
      const body = readFileSync(file);
      response.writeHead(200, { "content-type": types[file.slice(file.lastIndexOf("."))] ?? "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(port, "127.0.0.1", resolve));
  return { origin: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

export function launchChromium(options = {}) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
    // Puppeteer's defaults run a hidden tab as a visible one; a user's browser does not.
    ignoreDefaultArgs: ["--disable-background-timer-throttling", "--disable-backgrounding-occluded-windows",
      "--disable-renderer-backgrounding"],
    ...options,
  });
}
