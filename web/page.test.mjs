// SPDX-License-Identifier: MIT
// The page in a real headless Chromium (Debian's, driven by puppeteer-core),
// opened from disk and from a static server on 127.0.0.1: files given to its
// input get the verdicts and lines that the module gives under Node, and each
// diagnostic its location in the music, its explanation and the bytes at its
// offset; the page requests nothing but its own files. A dropped folder of
// generated files fills the summary table, which sorts, filters and exports
// records of the collection program's JSON Lines: checked against its schema
// (QUELDER_SCAN_SCHEMA, by default scan/schema/quelder-scan-v2.schema.json)
// when there is one, and always field by field against the module. Also
// writes QUELDER_WEB_DIR/../web-screenshot*.png and reports the time a 50 MB
// file and the folder take (not asserted: the test suite times nothing).
//   QUELDER_WEB_DIR=build-web/web node --test web/page.test.mjs
import assert from "node:assert/strict";
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { dirname, extname, join, resolve } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";
import Ajv2020 from "ajv/dist/2020.js";

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
// requests; each in a context of its own, so that no language choice is kept
// from an earlier page, and with the browser's languages given.
async function openPage(url, viewport = { width: 1000, height: 900 }, languages = ["ja", "en"]) {
  const page = await (await browser.createBrowserContext()).newPage();
  await page.evaluateOnNewDocument((languages) => {
    Object.defineProperty(navigator, "languages", { get: () => languages });
  }, languages);
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

// Waits until the summary table has count rows, all checked.
async function allChecked(page, count) {
  await page.waitForFunction(
    (count) => document.querySelectorAll("#summary-table tbody tr").length === count &&
      document.querySelector("#summary").getAttribute("aria-busy") === "false",
    { timeout: 120000 },
    count,
  );
}

// Gives the page's file input these files and waits for all their answers.
async function checkOnPage(page, paths) {
  const shownBefore = await page.$$eval("#summary-table tbody tr", (rows) => rows.length);
  await (await page.$("#files")).uploadFile(...paths);
  await allChecked(page, shownBefore + paths.length);
}

// The summary table's rows shown, in their order.
const summaryRows = (page) => page.$$eval("#summary-table tbody tr:not([hidden])", (rows) => rows.map((row) => ({
  name: row.querySelector("button.open").textContent,
  verdict: row.querySelector(".verdict").className,
  code: row.querySelector("code")?.textContent ?? null,
  message: row.querySelector(".message")?.textContent ?? null,
  where: row.querySelector(".where")?.textContent ?? null,
})));

// Opens the details of the row named name and reads them once shown.
async function detailsOf(page, name) {
  await page.evaluate((name) => [...document.querySelectorAll("#summary-table button.open")]
    .find((button) => button.textContent === name).click(), name);
  await page.waitForFunction((name) => {
    const entry = document.querySelector("#file-details .file");
    return entry?.querySelector("h3").textContent === name && entry.getAttribute("aria-busy") === "false";
  }, { timeout: 60000 }, name);
  return page.$eval("#file-details .file", (entry) => ({
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
  }));
}

// What the page must show for a file, from the module under Node. The
// track, event and tick are read back from the page's text.
function expectedEntry(path, languageChecker = checker, name = path.split("/").at(-1)) {
  const bytes = new Uint8Array(readFileSync(path));
  const result = languageChecker.check(name, bytes);
  const [progress, verdictLine] = result.stdout.split(/(?<=\n)/);
  const codes = new Map(languageChecker.codes().map((row) => [row.code, row]));
  return {
    name,
    verdict: `verdict ${result.conforms ? "conforms" : "does-not-conform"}`,
    output: progress + result.stderr + verdictLine,
    firstCode: (result.diagnostics.find(({ severity }) => severity !== "warning") ?? result.diagnostics[0])?.code ?? null,
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
  const { firstCode, ...entry } = expected;
  const must = { ...entry, diagnostics: expected.diagnostics.map(({ offset, ...rest }) => rest) };
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
    await checkOnPage(page, files);
    const rows = await summaryRows(page);
    assert.deepEqual(rows.map(({ name }) => name), files.map((path) => path.split("/").at(-1)));
    const shown = [];
    for (const [i, row] of rows.entries()) {
      shown.push(await detailsOf(page, row.name));
      const expected = expectedEntry(files[i]);
      compared(shown[i], expected);
      assert.equal(row.verdict.replace(" with-warnings", ""), expected.verdict, row.name);
      assert.equal(row.code, expected.firstCode, row.name);
    }
    const warnings = shown.flatMap((entry) => entry.diagnostics).filter(({ severity }) => severity === "warning");
    assert.ok(warnings.some(({ mark }) => mark !== null), "a warning's bytes");
    const { diagnostics } = shown[files.indexOf(join(scratch, "located.mid"))];
    assert.deepEqual(diagnostics.map(({ code, location }) => [code, location]),
      [["invalid-status", "トラック 2、イベント 3、ティック 1,920"]]);
    assertOwnFilesOnly(requests, url());
    await page.close();
  });
}

// A folder of 200 files, in two subfolders, each kind a quarter: conforming,
// an invalid status byte after a delta time that grows with i, an unknown
// meta event (type 60 to 6F hex) among conforming events, and bytes that are
// no SMF at all. Returns the folder and each file's path below its parent.
function collection(count = 200) {
  const header = [0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60];
  const smf = (track) => Uint8Array.from([...header, 0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, track.length, ...track]);
  const kinds = [
    () => smf([0x00, 0x90, 0x3c, 0x40, 0x60, 0x80, 0x3c, 0x00, 0x00, 0xff, 0x2f, 0x00]),
    (i) => smf([0x00, 0x90, 0x3c, 0x40, i & 0x7f, 0xf4, 0x00, 0xff, 0x2f, 0x00]),
    (i) => smf([0x00, 0x90, 0x3c, 0x40, 0x00, 0xff, 0x60 + (i % 16), 0x01, 0x00, 0x10, 0x80, 0x3c, 0x00, 0x00, 0xff, 0x2f, 0x00]),
    (i) => Uint8Array.from({ length: 40 + i }, (_, j) => (i * 31 + j * 7) % 256),
  ];
  const folder = join(scratch, "collection");
  const paths = [];
  for (let i = 0; i < count; i++) {
    const sub = i % 2 === 0 ? "even" : "odd";
    mkdirSync(join(folder, sub), { recursive: true });
    const name = `${sub}/${String(i).padStart(3, "0")}-${["ok", "bad", "meta", "noise"][i % 4]}.mid`;
    writeFileSync(join(folder, name), kinds[i % 4](i));
    paths.push(`collection/${name}`);
  }
  return { folder, paths: paths.sort() };
}

// Drops a folder on the page as the browser would from a file manager.
async function dropFolder(page, folder) {
  const session = await page.createCDPSession();
  const data = { items: [], files: [folder], dragOperationsMask: 1 };
  for (const type of ["dragEnter", "dragOver", "drop"]) await session.send("Input.dispatchDragEvent", { type, x: 300, y: 250, data });
}

// Clicks the export button and reads the file the browser saved.
async function exported(page, button, name) {
  const folder = mkdtempSync(join(scratch, "download-"));
  await page.browserContext().setDownloadBehavior({ policy: "allow", downloadPath: folder });
  await page.click(button);
  for (let waited = 0; !existsSync(join(folder, name)) && waited < 100; waited++) await new Promise((done) => setTimeout(done, 100));
  return readFileSync(join(folder, name), "utf8");
}

const verdictRank = { "does-not-conform": 0, failure: 1, "conforms with-warnings": 2, conforms: 3 };
const rankOf = ({ verdict }) => verdictRank[verdict.replace("verdict ", "")];
const schemaPath = process.env.QUELDER_SCAN_SCHEMA ?? new URL("../scan/schema/quelder-scan-v2.schema.json", import.meta.url).pathname;

test("a dropped folder: summary table sorted, filtered, exported; the language switched; a warning's bytes", async (t) => {
  const { folder, paths } = collection();
  const { page } = await openPage(`http://127.0.0.1:${server.address().port}/index.html`, { width: 1000, height: 1100 }, ["en-US", "ja"]);
  const started = performance.now();
  await dropFolder(page, folder);
  await allChecked(page, paths.length);
  t.diagnostic(`${paths.length} files dropped and checked in ${Math.round(performance.now() - started)} ms`);
  assert.equal(await page.$eval("#progress-text", (status) => status.textContent), `Checked ${paths.length} of ${paths.length}`);

  // One row per file, in path order, with what the module says of it.
  const english = await createChecker({ language: "en" });
  const expected = new Map(paths.map((path) => {
    const result = english.check(path, new Uint8Array(readFileSync(join(folder, "..", path))));
    return [path, result];
  }));
  const rows = await summaryRows(page);
  assert.deepEqual(rows.map(({ name }) => name), paths);
  for (const row of rows) {
    const { conforms, diagnostics } = expected.get(row.name);
    const first = diagnostics.find(({ severity }) => severity !== "warning") ?? diagnostics[0];
    assert.equal(row.verdict.includes("does-not-conform"), !conforms, row.name);
    assert.equal(row.code, first?.code ?? null, row.name);
    assert.equal(row.message, first?.message ?? null, row.name);
    if (first?.offset != null) assert.ok(row.where.startsWith(`offset ${first.offset} `), row.where);
    if (first?.track != null) assert.ok(row.where.endsWith(`track ${first.track}, event ${first.event}, tick ${first.tick}`), row.where);
  }

  // Sorted by verdict, both ways; then by name, back to path order.
  await page.click('th[data-column="verdict"] button');
  const byVerdict = (await summaryRows(page)).map(rankOf);
  assert.deepEqual(byVerdict, [...byVerdict].sort((a, b) => a - b));
  await page.click('th[data-column="verdict"] button');
  assert.deepEqual((await summaryRows(page)).map(rankOf), [...byVerdict].reverse());
  assert.equal(await page.$eval('th[data-column="verdict"]', (header) => header.getAttribute("aria-sort")), "descending");
  await page.click('th[data-column="name"] button');
  assert.deepEqual((await summaryRows(page)).map(({ name }) => name), paths);

  // Filtered: the files that do not conform; then by code.
  await page.select("#show", "problems");
  const problems = paths.filter((path) => !expected.get(path).conforms);
  assert.deepEqual((await summaryRows(page)).map(({ name }) => name), problems);
  await page.select("#show", "all");
  await page.type("#search", "unknown-meta");
  const unknownMeta = paths.filter((path) => expected.get(path).diagnostics.some(({ code }) => code === "unknown-meta-type"));
  assert.deepEqual((await summaryRows(page)).map(({ name }) => name), unknownMeta);
  assert.equal(unknownMeta.length, paths.length / 4);

  // The rows shown exported as JSON Lines and CSV, in the collection program's schema.
  const lines = (await exported(page, "#export-jsonl", "quelder-results.jsonl")).split("\n");
  assert.equal(lines.pop(), "");
  const records = lines.map((line) => JSON.parse(line));
  assert.deepEqual(records.map(({ path }) => path), unknownMeta);
  if (existsSync(schemaPath)) {
    const validate = new Ajv2020({ strict: false }).compile(JSON.parse(readFileSync(schemaPath, "utf8")));
    for (const record of records) assert.ok(validate(record), JSON.stringify(validate.errors));
  } else {
    t.diagnostic(`no schema at ${schemaPath}: the records are checked field by field only`);
  }
  for (const record of records) {
    const { conforms, diagnostics, findings, format } = expected.get(record.path);
    const fields = (d, counted) => ({
      code: d.code, severity: d.severity, grade: d.grade || null, offset: d.offset ?? -1, track: d.track ?? 0,
      event: d.event ?? 0, tick: d.tick ?? 0, event_offset: d.event_offset ?? -1, message: d.message, counted,
    });
    const reference = diagnostics.map((d) => fields(d, d.severity !== "warning"));
    assert.deepEqual(record, {
      path: record.path, size: readFileSync(join(folder, "..", record.path)).length, conforms, format,
      fails: !conforms, readable: true, diagnostics: reference,
      findings: findings.map((f) => ({ ...fields(f, false), after_first_error: f.after_first_error })),
    });
  }
  const csv = (await exported(page, "#export-csv", "quelder-results.csv")).split("\n");
  assert.equal(csv[0], "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,event,tick,message,findings");
  assert.equal(csv.length, unknownMeta.length + 2);
  assert.match(csv[1], /^collection\/\S+,,"conforms, with warnings",false,true,smf,\d+,unknown-meta-type,warning,,\d+,1,2,0,the type of the meta event is not recognised\.,\d+$/);
  assert.equal(csv[1].split(",").at(-1), String(expected.get(records[0].path).findings.length));

  // A warning's details: the meta event's type, read from the file, and its bytes.
  const [name] = unknownMeta;
  const details = await detailsOf(page, name);
  const [warning] = details.diagnostics;
  const i = Number(name.match(/(\d+)-meta/)[1]);
  assert.equal(await page.$eval("#file-details .meta-type", (type) => type.textContent), `This meta event's type: FF ${(0x60 + (i % 16)).toString(16).toUpperCase()} (hex).`);
  assert.equal(warning.markOffset, String(expected.get(name).diagnostics[0].offset));
  await page.screenshot({ path: join(buildDir, "web-screenshot.png"), fullPage: true });

  // Switched to Japanese: every row checked again, the details shown again.
  await page.select("#language", "ja");
  await allChecked(page, paths.length);
  await page.waitForFunction(() => document.querySelector("#file-details .file")?.getAttribute("aria-busy") === "false" &&
    document.querySelector("#file-details .output").textContent.includes("警告"));
  const japanese = await createChecker({ language: "ja" });
  const [row] = await summaryRows(page);
  assert.equal(row.message, japanese.check(name, new Uint8Array(readFileSync(join(folder, "..", name)))).diagnostics[0].message);
  compared(await detailsOf(page, name), expectedEntry(join(folder, "..", name), japanese, name));
  await page.screenshot({ path: join(buildDir, "web-screenshot-ja.png"), fullPage: true });
  await page.close();
});

// A Copyright without (C) after a note (the first error, a recommendation),
// then a velocity of FF; the same velocity in an RMID file; an MP3 file.
const track = [0x00, 0x90, 0x3c, 0x40, 0x00, 0xff, 0x02, 0x01, 0x41, 0x00, 0x90, 0x3c, 0xff, 0x00, 0xff, 0x2f, 0x00];
const header = [0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60];
const highVelocity = [...header, 0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, 8, 0x00, 0x90, 0x3c, 0xff, 0x00, 0xff, 0x2f, 0x00];
const findingFiles = [
  scratchFile("copyright.mid", Uint8Array.from([...header, 0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, track.length, ...track])),
  scratchFile("wrapped.rmi", Uint8Array.from([...Buffer.from("RIFF"), 38, 0, 0, 0, ...Buffer.from("RMIDdata"), 30, 0, 0, 0, ...highVelocity])),
  scratchFile("song.mp3", Uint8Array.from([0x49, 0x44, 0x33, 3, 0, 0, 0, 0, 0, 0])),
];

test("findings grouped by grade, a verdict from a recommendation said plainly, and what a file is", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href, undefined, ["en"]);
  await checkOnPage(page, findingFiles);
  const english = await createChecker({ language: "en" });
  const shownOf = async (name) => {
    await detailsOf(page, name);
    return page.$eval("#file-details .file", (entry) => ({
      format: entry.querySelector("p.format")?.textContent ?? null,
      recommendation: entry.querySelector(".from-recommendation")?.textContent ?? null,
      groups: [...entry.querySelectorAll(".findings .grade")].map((group) => [group.dataset.grade,
        [...group.querySelectorAll(".finding")].map((finding) => [finding.dataset.code,
          finding.querySelector(".after-first-error") !== null, finding.querySelector("mark")?.dataset.offset ?? null])]),
    }));
  };
  assert.deepEqual(await shownOf("copyright.mid"), {
    format: null,
    recommendation: "The verdict comes from a recommendation (a “should” of the standard or a house rule), not from damage to the file. What the check found after it is below.",
    groups: [["recommendation", [["copyright-placement", true, "30"]]], ["beyond-reference", [["channel-data-byte", true, "34"]]]],
  });
  assert.deepEqual(await shownOf("wrapped.rmi"), {
    format: "This is a RIFF MIDI file (RMID); the SMF inside it (from offset 20) was checked, and what that check found is under the findings below.",
    recommendation: null,
    groups: [["beyond-reference", [["channel-data-byte", false, "45"]]]],
  });
  assert.deepEqual(await shownOf("song.mp3"), { format: "This looks like an MP3 file, not a Standard MIDI File.", recommendation: null, groups: [] });
  assert.deepEqual(await page.$$eval("#summary-table tbody tr", (rows) => rows.map((row) => row.querySelector(".format")?.textContent ?? null)),
    [null, "rmid", "mp3"]);
  // The module's findings are in each file's grouped sections, every one of them.
  for (const path of findingFiles) {
    const { findings } = english.check("x", new Uint8Array(readFileSync(path)));
    const shown = (await shownOf(path.split("/").at(-1))).groups.flatMap(([, members]) => members.map(([code]) => code));
    assert.deepEqual(shown.sort(), findings.map(({ code }) => code).sort(), path);
  }
  await detailsOf(page, "copyright.mid");
  await page.screenshot({ path: join(buildDir, "web-screenshot-findings.png"), fullPage: true });
  await page.select("#language", "ja");
  await page.waitForFunction(() => document.querySelector(".from-recommendation")?.textContent.includes("推奨"));
  await page.screenshot({ path: join(buildDir, "web-screenshot-findings-ja.png"), fullPage: true });
  await page.close();
});

test("the language follows the browser's first preference until one is chosen, and the choice is kept", async () => {
  const url = pathToFileURL(join(webDir, "index.html")).href;
  const lang = (page) => page.evaluate(() => [document.documentElement.lang, document.querySelector("#language").value]);
  for (const [languages, expected] of [[["en-GB", "ja"], "en"], [["ja-JP", "en"], "ja"], [["fr", "ja"], "en"]]) {
    const { page } = await openPage(url, undefined, languages);
    assert.deepEqual(await lang(page), [expected, expected], languages.join());
    await page.close();
  }
  const { page } = await openPage(url, undefined, ["en-US"]);
  await page.select("#language", "ja");
  await page.reload({ waitUntil: "load" });
  assert.deepEqual(await lang(page), ["ja", "ja"]);
  await page.close();
});

test("the page switches between Japanese and English", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href);
  await checkOnPage(page, [example("nonconforming.mid")]);
  const texts = () => page.evaluate(() => ({
    lang: document.documentElement.lang,
    title: document.title,
    verdict: document.querySelector("#summary-table .verdict").textContent,
    caption: document.querySelector("figcaption").textContent,
    location: document.querySelector(".location").textContent,
    labels: [...document.querySelectorAll(".explanation dt")].slice(0, 2).map((label) => label.textContent).join(),
  }));
  const japanese = await texts();
  await page.select("#language", "en");
  // The file shown is checked again with the English checker; its details
  // are read once they have been drawn again.
  await allChecked(page, 1);
  const englishDetails = await detailsOf(page, "nonconforming.mid");
  const english = await texts();
  assert.equal(japanese.lang, "ja");
  assert.equal(english.lang, "en");
  for (const key of ["title", "verdict", "caption", "location", "labels"]) assert.notEqual(english[key], japanese[key], key);
  assert.match(english.title + english.verdict + english.caption + english.labels, /^[\x20-\x7e—…]*$/, "English texts");
  compared(englishDetails, expectedEntry(example("nonconforming.mid"), await createChecker({ language: "en" })));
  await page.select("#language", "ja");
  await allChecked(page, 1);
  await detailsOf(page, "nonconforming.mid");
  assert.deepEqual(await texts(), japanese);
  await page.close();
});

test("every control is reached with the keyboard and shows its focus", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href);
  await checkOnPage(page, [example("nonconforming.mid")]);
  await page.focus("#language");
  const reached = [];
  for (let i = 0; i < 12; i++) {
    reached.push(await page.evaluate(() => {
      const element = document.activeElement;
      return { id: element.id || element.className, outline: getComputedStyle(element).outlineStyle };
    }));
    await page.keyboard.press("Tab");
  }
  assert.deepEqual(reached.map(({ id }) => id).slice(0, 9),
    ["language", "files", "folder", "show", "search", "export-jsonl", "export-csv", "clear", "table-box"]);
  for (const { id, outline } of reached) assert.notEqual(outline, "none", id);
  await page.close();
});

test("on a phone's width nothing but the table and the bytes view scroll sideways", async () => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href, { width: 360, height: 740 });
  await checkOnPage(page, [example("nonconforming.mid")]);
  const widths = await page.evaluate(() => ({ page: document.documentElement.scrollWidth, view: innerWidth }));
  assert.ok(widths.page <= widths.view, JSON.stringify(widths));
  await page.screenshot({ path: join(buildDir, "web-screenshot-phone.png"), fullPage: true });
  await page.close();
});

test("the time a 50 MB file takes", async (t) => {
  const { page } = await openPage(pathToFileURL(join(webDir, "index.html")).href, { width: 900, height: 700 });
  const large = scratchFile("large.mid", largeSmf(50));
  const started = performance.now();
  await checkOnPage(page, [large]);
  const wall = performance.now() - started;
  const [row] = await summaryRows(page);
  assert.equal(row.verdict, "verdict conforms");
  const shown = await detailsOf(page, "large.mid");
  t.diagnostic(`50 MB file: ${shown.elapsed} in the worker (read and check, details), ${Math.round(wall)} ms from upload to verdict`);
  await page.close();
});
