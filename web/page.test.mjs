// SPDX-License-Identifier: MIT
// The page in a real headless Chromium (Debian's, driven by puppeteer-core),
// opened from disk and from a static server on 127.0.0.1: files given to its
// input get the verdicts and lines that the module gives under Node, and each
// diagnostic its location in the music, its explanation and the bytes at its
// offset; the page requests nothing but its own files. Also
// writes QUELDER_WEB_DIR/../web-screenshot*.png and reports the time a 50 MB
// file takes (not asserted: the test suite times nothing).
//   QUELDER_WEB_DIR=build-web/web node --test web/page.test.mjs
import assert from "node:assert/strict";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { dirname, extname, join, resolve } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const webDir = resolve(process.env.QUELDER_WEB_DIR ?? "build-web/web");
const buildDir = dirname(webDir);
const examplesDir = new URL("../examples/", import.meta.url);
const { createChecker } = await import(pathToFileURL(join(webDir, "quelder.mjs")));
const checker = await createChecker();

const scratch = mkdtempSync(join(tmpdir(), "quelder-page-"));
const example = (name) => new URL(name, examplesDir).pathname;
const scratchFile = (name, bytes) => {
  writeFileSync(join(scratch, name), bytes);
  return join(scratch, name);
};

// An error in the second track's third event, 1,920 ticks in: an undefined
// status byte.
const located = Uint8Array.from([
  0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x60,
  0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, 4, 0x00, 0xff, 0x2f, 0x00,
  0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, 11, 0x00, 0x90, 0x3c, 0x40, 0x8f, 0x00, 0x80, 0x3c, 0x00, 0x00, 0xf4,
]);

// Every kind of answer: conforming, an error at an offset, warnings only, the
// empty file, bytes that are no SMF at all.
const files = [
  example("conforming.mid"),
  example("nonconforming.mid"),
  example("warnings.mid"),
  scratchFile("located.mid", located),
  scratchFile("empty.mid", new Uint8Array()),
  scratchFile("noise.bin", Uint8Array.from({ length: 3000 }, (_, i) => (i * 7919) % 251)),
];

// A conforming file of about 50 MB: one track of Note On and Note Off pairs.
function largeSmf(megabytes) {
  const events = Math.floor((megabytes * 1e6) / 8);
  const track = new Uint8Array(events * 8 + 4);
  for (let i = 0; i < events; i++) track.set([0x00, 0x90, 0x3c, 0x40, 0x00, 0x80, 0x3c, 0x00], 8 * i);
  track.set([0x00, 0xff, 0x2f, 0x00], events * 8);
  const header = [0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xe0];
  const length = track.length;
  const chunk = [0x4d, 0x54, 0x72, 0x6b, length >>> 24, (length >>> 16) & 0xff, (length >>> 8) & 0xff, length & 0xff];
  return Buffer.concat([Buffer.from(header), Buffer.from(chunk), track]);
}

const mediaTypes = { ".html": "text/html", ".css": "text/css", ".mjs": "text/javascript", ".wasm": "application/wasm" };
let server;
let browser;

before(async () => {
  server = createServer((request, response) => {
    const path = join(webDir, new URL(request.url, "http://x").pathname.replace(/\/$/, "/index.html"));
    try {
      const body = readFileSync(path);
      response.writeHead(200, { "content-type": mediaTypes[extname(path)] ?? "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  browser = await puppeteer.launch({
    executablePath: process.env.QUELDER_CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--lang=ja"],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(scratch, { recursive: true, force: true });
});

// A new page at url, with every request it and its workers make kept in
// requests.
async function openPage(url, viewport = { width: 1000, height: 900 }) {
  const page = await browser.newPage();
  const requests = [];
  page.on("request", (request) => requests.push(request.url()));
  page.on("workercreated", async (worker) => {
    const session = worker.client;
    session.on("Network.requestWillBeSent", ({ request }) => requests.push(request.url));
    await session.send("Network.enable").catch(() => {});
  });
  await page.setViewport(viewport);
  await page.goto(url, { waitUntil: "load" });
  return { page, requests };
}

// Gives the page's file input these files and waits for all their answers.
async function checkOnPage(page, paths) {
  const shownBefore = await page.$$eval("#results > li", (entries) => entries.length);
  await (await page.$("#files")).uploadFile(...paths);
  await page.waitForFunction(
    (count) => {
      const entries = document.querySelectorAll("#results > li");
      return entries.length === count && [...entries].every((entry) => entry.getAttribute("aria-busy") === "false");
    },
    { timeout: 60000 },
    shownBefore + paths.length,
  );
  return page.$$eval("#results > li", (entries, count) =>
    entries.slice(-count).map((entry) => ({
      name: entry.querySelector("h3").textContent,
      verdict: entry.querySelector(".verdict").className,
      output: entry.querySelector(".output")?.textContent,
      diagnostics: [...entry.querySelectorAll(".diagnostic")].map((shown) => ({
        code: shown.dataset.code,
        severity: shown.className.replace("diagnostic ", ""),
        location: shown.querySelector(".location")?.textContent ?? null,
        rule: shown.querySelector(".rule").textContent,
        readers: shown.querySelector(".readers").textContent,
        mark: shown.querySelector("mark")?.textContent ?? null,
        markOffset: shown.querySelector("mark")?.dataset.offset ?? null,
        caption: shown.querySelector("figcaption")?.textContent ?? null,
      })),
      elapsed: entry.querySelector(".elapsed")?.textContent ?? null,
    })), paths.length);
}

// What the page must show for a file, from the module under Node. The
// track, event and tick are read back from the page's text.
function expectedEntry(path, languageChecker = checker) {
  const bytes = new Uint8Array(readFileSync(path));
  const name = path.split("/").at(-1);
  const result = languageChecker.check(name, bytes);
  const [progress, verdictLine] = result.stdout.split(/(?<=\n)/);
  const codes = new Map(languageChecker.codes().map((row) => [row.code, row]));
  return {
    name,
    verdict: `verdict ${result.conforms ? "conforms" : "does-not-conform"}`,
    output: progress + result.stderr + verdictLine,
    diagnostics: result.diagnostics.map(({ code, severity, offset, track, event, tick }) => {
      const inFile = offset !== null && offset < bytes.length;
      return {
        code,
        severity,
        location: track === null ? null : [track, event, tick],
        rule: codes.get(code).rule,
        readers: codes.get(code).readers,
        mark: inFile ? bytes[offset].toString(16).toUpperCase().padStart(2, "0") : null,
        markOffset: inFile ? String(offset) : null,
        offset,
      };
    }),
  };
}

// An entry as the page shows it, the location's numbers read back, beside
// what it must show.
function compared(shown, expected) {
  const { elapsed, ...checked } = shown;
  const offsets = [];
  checked.diagnostics = checked.diagnostics.map(({ caption, location, ...rest }) => {
    offsets.push(caption);
    const numbers = location?.match(/\d[\d,]*/g).map((n) => Number(n.replaceAll(",", ""))) ?? null;
    return { ...rest, location: numbers };
  });
  const must = { ...expected, diagnostics: expected.diagnostics.map(({ offset, ...rest }) => rest) };
  assert.deepEqual(checked, must);
  // Every diagnostic at an offset has its caption, past the end of the file too.
  expected.diagnostics.forEach(({ offset }, i) => {
    if (offset === null) return assert.equal(offsets[i], null);
    assert.ok(offsets[i].includes(` ${offset} `) && offsets[i].includes(`(0x${offset.toString(16).toUpperCase()})`), offsets[i]);
  });
  assert.match(elapsed, /\d+ ms/);
}

function assertOwnFilesOnly(requests, base) {
  const own = [base, new URL("quelder.css", base).href];
  const others = requests.filter((url) => !own.includes(url) && !/^(data|blob):/.test(url));
  assert.deepEqual(others, [], "requests other than the page's own files");
}

for (const [where, url] of [
  ["from disk", () => pathToFileURL(join(webDir, "index.html")).href],
  ["from a static server", () => `http://127.0.0.1:${server.address().port}/index.html`],
]) {
  test(`opened ${where}, the page shows each file's verdict, lines and the byte at fault`, async () => {
    const { page, requests } = await openPage(url());
    const shown = await checkOnPage(page, files);
    shown.forEach((entry, i) => compared(entry, expectedEntry(files[i])));
    const warnings = shown.flatMap((entry) => entry.diagnostics).filter(({ severity }) => severity === "warning");
    assert.ok(warnings.some(({ mark }) => mark !== null), "a warning's bytes");
    const { diagnostics } = shown[files.indexOf(join(scratch, "located.mid"))];
    assert.deepEqual(diagnostics.map(({ code, location }) => [code, location]),
      [["invalid-status", "トラック 2、イベント 3、ティック 1,920"]]);
    assertOwnFilesOnly(requests, url());
    await page.close();
  });
}

test("the page switches between Japanese and English", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href);
  await checkOnPage(page, [example("nonconforming.mid")]);
  const texts = () => page.evaluate(() => ({
    lang: document.documentElement.lang,
    title: document.title,
    verdict: document.querySelector("#results .verdict").textContent,
    caption: document.querySelector("figcaption").textContent,
    location: document.querySelector(".location").textContent,
    labels: [...document.querySelectorAll(".explanation dt")].slice(0, 2).map((label) => label.textContent).join(),
  }));
  const japanese = await texts();
  await page.select("#language", "en");
  const english = await texts();
  assert.equal(japanese.lang, "ja");
  assert.equal(english.lang, "en");
  for (const key of ["title", "verdict", "caption", "location", "labels"]) assert.notEqual(english[key], japanese[key], key);
  assert.match(english.title + english.verdict + english.caption + english.labels, /^[\x20-\x7e—…]*$/, "English texts");
  // Files checked now get the English checker's lines.
  const [shown] = await checkOnPage(page, [example("nonconforming.mid")]);
  compared(shown, expectedEntry(example("nonconforming.mid"), await createChecker({ language: "en" })));
  await page.select("#language", "ja");
  assert.deepEqual(await texts(), japanese);
  await page.close();
});

test("every control is reached with the keyboard and shows its focus", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href);
  const reached = [];
  for (let i = 0; i < 4; i++) {
    await page.keyboard.press("Tab");
    reached.push(await page.evaluate(() => {
      const element = document.activeElement;
      return { id: element.id, outline: getComputedStyle(element).outlineStyle };
    }));
  }
  assert.deepEqual(reached.map(({ id }) => id).slice(0, 3), ["language", "files", "clear"]);
  for (const { id, outline } of reached.slice(0, 3)) assert.notEqual(outline, "none", id);
  await page.close();
});

test("on a phone's width nothing but the bytes view scrolls sideways", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href, { width: 360, height: 740 });
  await checkOnPage(page, [example("nonconforming.mid")]);
  const widths = await page.evaluate(() => ({ page: document.documentElement.scrollWidth, view: innerWidth }));
  assert.ok(widths.page <= widths.view, JSON.stringify(widths));
  await page.screenshot({ path: join(buildDir, "web-screenshot-phone.png"), fullPage: true });
  await page.close();
});

test("a screenshot with an error shown, and the time a 50 MB file takes", async (t) => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href, { width: 900, height: 700 });
  await checkOnPage(page, [example("nonconforming.mid"), example("warnings.mid")]);
  await page.screenshot({ path: join(buildDir, "web-screenshot.png"), fullPage: true });
  const large = scratchFile("large.mid", largeSmf(50));
  const started = performance.now();
  const [shown] = await checkOnPage(page, [large]);
  const wall = performance.now() - started;
  assert.equal(shown.verdict, "verdict conforms");
  t.diagnostic(`50 MB file: ${shown.elapsed} in the worker (read and check), ${Math.round(wall)} ms from upload to verdict`);
  await page.close();
});
