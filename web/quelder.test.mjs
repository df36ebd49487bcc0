// SPDX-License-Identifier: MIT
// web/quelder.mjs under Node, against every run of the end-to-end suite on
// plain files: the suite's runner keeps each run's files and what the
// command-line program printed (QUELDER_CASE_DUMP=DIR/<language>, one suite
// run per language, against the UTF-8 program of that language), and the
// module must print the same for the same names and bytes. Run after them:
//   QUELDER_CASE_DUMP=DIR QUELDER_WEB_DIR=build-web/web node --test web/quelder.test.mjs
import assert from "node:assert/strict";
import { readdirSync, readFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { test } from "node:test";
import { pathToFileURL } from "node:url";

const webDir = resolve(process.env.QUELDER_WEB_DIR ?? "build-web/web");
const dumpDir = process.env.QUELDER_CASE_DUMP;
const { createChecker } = await import(pathToFileURL(join(webDir, "quelder.mjs")));

// The runs of each test of the suite: the names (arguments) and files of
// each run, and what the program printed. A page names files with strings,
// so runs with a name that is not UTF-8 are left out and counted.
function dumpedRuns(dumpDir) {
  const byTest = new Map();
  let notUtf8 = 0;
  const strictUtf8 = new TextDecoder("utf-8", { fatal: true, ignoreBOM: true });
  for (const entry of readdirSync(dumpDir).sort()) {
    const dir = join(dumpDir, entry);
    const read = (file) => readFileSync(join(dir, file));
    let names;
    try {
      names = strictUtf8.decode(read("names")).split("\0").slice(0, -1);
    } catch {
      notUtf8++;
      continue;
    }
    const run = {
      files: names.map((name, i) => ({ name, bytes: new Uint8Array(read(`${i}.mid`)) })),
      stdout: read("stdout").toString("utf8"),
      stderr: read("stderr").toString("utf8"),
    };
    const testName = read("test").toString("utf8");
    byTest.set(testName, [...(byTest.get(testName) ?? []), run]);
  }
  return { byTest, notUtf8 };
}

// One checker per language for everything: no run may see anything of the
// one before.
const checker = await createChecker();

// The verdict line of each answer, the name taken out, by checker and the
// answer's conforms: each verdict must always come with the same line.
const verdictLines = new Map();
// The form of each diagnostic line, its offset taken out, by checker and
// severity: each severity must always come with the same form.
const diagnosticForms = new Map();

function checkAll(checker, files) {
  const printed = { stdout: "", stderr: "" };
  if (!verdictLines.has(checker)) verdictLines.set(checker, { true: new Set(), false: new Set() });
  for (const { name, bytes } of files) {
    const result = checker.check(name, bytes);
    printed.stdout += result.stdout;
    printed.stderr += result.stderr;
    const { conforms, stdout } = result;
    // A name that is not echoed as itself (a control character in it) cannot be taken out.
    const verdict = stdout.split("\n")[1];
    if (name !== "" && verdict.includes(name)) verdictLines.get(checker)[conforms].add(verdict.replace(name, "%s"));
    checkValues(checker, result);
  }
  return printed;
}

// lines are stdout and stderr line by line, and each diagnostic is the stderr
// line at its place: its message after the form of its severity, which shows
// its offset as the line does, a signed 32-bit number.
function checkValues(checker, { conforms, stdout, stderr, lines, diagnostics, findings, format }) {
  const joined = (stream) => lines.filter((line) => line.stream === stream).map((line) => `${line.text}\n`).join("");
  assert.ok(joined("stdout") === stdout && joined("stderr") === stderr, "lines are not those printed");
  const diagnosticLines = lines.filter((line) => line.stream === "stderr");
  assert.equal(diagnostics.length, diagnosticLines.length);
  if (!diagnosticForms.has(checker)) diagnosticForms.set(checker, new Map());
  const forms = diagnosticForms.get(checker);
  diagnostics.forEach((diagnostic, i) => {
    const { text } = diagnosticLines[i];
    assert.ok(text.endsWith(diagnostic.message), `${text}\n${JSON.stringify(diagnostic)}`);
    const form = text.slice(0, text.length - diagnostic.message.length);
    const shown = diagnostic.offset === null ? form : form.replace(`(${diagnostic.offset | 0})`, "(%d)");
    forms.set(diagnostic.severity, new Set([...(forms.get(diagnostic.severity) ?? []), shown]));
    const inTrack = diagnostic.track !== null;
    for (const field of ["event", "tick", "event_offset"]) assert.equal(diagnostic[field] !== null, inTrack, field);
  });
  // Findings carry their code's severity and grade; a file that conforms has
  // no first error to come after, and only an SMF conforms.
  const codes = codeTables.get(checker) ?? codeTables.set(checker, new Map(checker.codes().map((row) => [row.code, row]))).get(checker);
  for (const finding of findings) {
    const { severity, grade } = codes.get(finding.code);
    assert.deepEqual([finding.severity, finding.grade], [severity, grade], finding.code);
    assert.ok(!(conforms && finding.after_first_error), finding.code);
  }
  assert.ok(!conforms || format === "smf", format);
}
const codeTables = new Map();

const languages = dumpDir === undefined ? [] : readdirSync(dumpDir).sort();

test("every end-to-end run prints the same through the module", async (t) => {
  assert.ok(languages.length > 0, "QUELDER_CASE_DUMP names the directory the end-to-end runs were kept in");
  for (const language of languages) {
    const { byTest, notUtf8 } = dumpedRuns(join(dumpDir, language));
    assert.ok(byTest.size > 0, `no runs in ${join(dumpDir, language)}`);
    t.diagnostic(`${language}: ${notUtf8} runs left out: a name that is not UTF-8`);
    const languageChecker = language === "ja" ? checker : await createChecker({ language });
    for (const [testName, runs] of byTest) {
      await t.test(`${language} ${testName}`, () => checkRuns(languageChecker, runs));
    }
  }
});

function checkRuns(checker, runs) {
  runs.forEach((run, i) => {
    // Not deepEqual on the million-line runs: a difference would print them whole.
    const printed = checkAll(checker, run.files);
    assert.ok(printed.stdout === run.stdout, `run ${i}: standard output differs:\n${printed.stdout.slice(0, 2000)}`);
    assert.ok(printed.stderr === run.stderr, `run ${i}: standard error differs:\n${printed.stderr.slice(0, 2000)}`);
  });
}

test("conforms agrees with the verdict line", () => {
  assert.equal(verdictLines.size, languages.length);
  for (const lines of verdictLines.values()) {
    assert.equal(lines.true.size, 1, [...lines.true].join("\n"));
    assert.equal(lines.false.size, 1, [...lines.false].join("\n"));
    assert.notDeepEqual(lines.true, lines.false);
  }
});

test("each severity has one form, positional ones showing the offset", () => {
  for (const forms of diagnosticForms.values()) {
    assert.ok(forms.has("error") && forms.has("warning"), [...forms.keys()].join());
    for (const [severity, form] of forms) {
      assert.equal(form.size, 1, `${severity}: ${[...form].join(" | ")}`);
      assert.equal([...form][0].includes("(%d)"), severity !== "file-error", severity);
    }
  }
});

// A file that conforms and one that does not, from the shipped examples.
const examples = new URL("../examples/", import.meta.url);
const conforming = new Uint8Array(readFileSync(new URL("conforming.mid", examples)));
const nonconforming = new Uint8Array(readFileSync(new URL("nonconforming.mid", examples)));

test("the wasm option takes a URL, bytes or a compiled module", async () => {
  const url = pathToFileURL(join(webDir, "quelder-ja.wasm"));
  const bytes = readFileSync(url);
  const expected = checker.check("x.mid", nonconforming);
  for (const wasm of [url, url.href, bytes, bytes.buffer, await WebAssembly.compile(bytes)]) {
    assert.deepEqual((await createChecker({ wasm })).check("x.mid", nonconforming), expected);
  }
});

test("names are echoed as a C string holds them", () => {
  const echoed = (name) => checker.check(name, conforming).stdout;
  for (const [name, sameAs] of [
    ["a\0b.mid", "a"],
    ["\0", ""],
    [42, "42"],
  ]) {
    assert.equal(echoed(name), echoed(sameAs), JSON.stringify(name));
  }
  for (const name of ["", "\uFEFFbom.mid", "日本語 名前.mid", "\u{1F3B9}.mid", " "]) {
    const [progress, verdict] = echoed(name).split("\n");
    assert.ok(progress.startsWith(name) && verdict.includes(name), JSON.stringify(name));
  }
});

test("bytes must be a Uint8Array, and a refused call changes nothing", () => {
  const before = checker.check("x.mid", nonconforming);
  for (const bytes of [[0x4d, 0x54], "MThd", new Uint16Array(4), null, undefined]) {
    assert.throws(() => checker.check("x.mid", bytes), TypeError);
  }
  assert.deepEqual(checker.check("x.mid", nonconforming), before);
});

// 70 files of 64 MiB are more than a 32-bit memory can ever hold at once.
// Zeros: the check stops at once, at the header.
test("each file's memory is freed before check returns", () => {
  const image = new Uint8Array(64 << 20);
  const first = checker.check("big.mid", image);
  for (let i = 0; i < 70; i++) assert.deepEqual(checker.check("big.mid", image), first);
  assert.deepEqual(checker.check("x.mid", conforming), checker.check("x.mid", conforming));
});

test("a file too large for the checker's memory draws one file error, and the next file is checked", () => {
  const tooLarge = checker.check("huge.mid", new Uint8Array(2 ** 32 - 1));
  const lines = tooLarge.stderr.split("\n");
  assert.equal(tooLarge.conforms, false);
  assert.deepEqual(lines.length, 2);
  assert.doesNotMatch(lines[0], /\(-?\d+\): /, "a file error has no offset");
  assert.deepEqual(tooLarge.diagnostics.map(({ code, severity, offset, track }) => [code, severity, offset, track]),
    [["memory-failed", "file-error", null, null]]);
  assert.equal(tooLarge.stdout, checker.check("huge.mid", nonconforming).stdout);
  assert.equal(checker.check("x.mid", conforming).conforms, true);
});

// A Standard MIDI File of the given format and track data.
function smf(format, ...tracks) {
  const be = (value, bytes) => Array.from({ length: bytes }, (_, i) => (value >>> (8 * (bytes - 1 - i))) & 0xff);
  const header = [0x4d, 0x54, 0x68, 0x64, ...be(6, 4), ...be(format, 2), ...be(tracks.length, 2), 0x00, 0x60];
  const chunks = tracks.flatMap((data) => [0x4d, 0x54, 0x72, 0x6b, ...be(data.length, 4), ...data]);
  return Uint8Array.from([...header, ...chunks]);
}

const tempo = [0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20];
const endOfTrack = [0x00, 0xff, 0x2f, 0x00];

// Where in the music, worked out by hand: tracks count from 1, events within
// their track from 1, ticks sum the delta times (several bytes long too).
test("diagnostics say where in the music they are", () => {
  for (const [what, image, expected] of [
    ["an error in the second track's fourth event", smf(1, [...tempo, ...endOfTrack], [
      0x00, 0x90, 0x3c, 0x40,        // 41: tick 0
      0x60, 0x80, 0x3c, 0x00,        // 45: tick 96
      0x83, 0x00, 0x90, 0x3e, 0x40,  // 49: tick 480
      0x81, 0x70, 0xf4,              // 54: tick 720, an undefined status at 56
    ]), { code: "invalid-status", severity: "error", offset: 56, track: 2, event: 4, tick: 720, event_offset: 54 }],
    ["a warning in the first track's third event", smf(0, [
      0x00, 0x90, 0x3c, 0x40,        // 22: tick 0
      0x83, 0x60, 0x80, 0x3c, 0x00,  // 26: tick 480
      0x10, 0xff, 0x60, 0x01, 0x00,  // 31: tick 496, an unknown meta type
      ...endOfTrack,
    ]), { code: "unknown-meta-type", severity: "warning", track: 1, event: 3, tick: 496, event_offset: 31 }],
    ["an error in the header", smf(3, endOfTrack),
      { code: "format-invalid", severity: "error", grade: "content", offset: 8, track: null, event: null, tick: null, event_offset: null }],
  ]) {
    const [diagnostic] = checker.check("x.mid", image).diagnostics;
    assert.deepEqual({ ...diagnostic, ...expected }, diagnostic, what);
  }
});

// A RIFF MIDI file holding image in its data chunk (at 12, the SMF at 20).
function rmid(image) {
  const le32 = (value) => [0, 8, 16, 24].map((shift) => (value >>> shift) & 0xff);
  const pad = image.length % 2 === 1 ? [0] : [];
  const data = [...[..."data"].map((c) => c.charCodeAt(0)), ...le32(image.length), ...image, ...pad];
  return Uint8Array.from([..."RIFF"].map((c) => c.charCodeAt(0)).concat(le32(4 + data.length), [..."RMID"].map((c) => c.charCodeAt(0)), data));
}
const ascii = (text) => new TextEncoder().encode(text);
const highVelocity = smf(0, [0x00, 0x90, 0x3c, 0xff, ...endOfTrack]);  // the velocity at 25

// What the C library gives for these bytes (lib/quelder_test.cpp pins the
// same cases), worked out by hand: code, severity, grade, offset, track,
// event, tick, event_offset, after_first_error.
test("findings and the format are the library's", () => {
  for (const [what, image, format, embeddedOffset, diagnostics, findings] of [
    ["a Copyright without (C) after a note, then a velocity of FF", smf(0, [
      0x00, 0x90, 0x3c, 0x40,        // 22
      0x00, 0xff, 0x02, 0x01, 0x41,  // 26: its text at 30
      0x00, 0x90, 0x3c, 0xff,        // 31: the velocity at 34
      ...endOfTrack,
    ]), "smf", null, [["copyright-text", "error", "recommendation", 30]], [
      ["copyright-placement", "error", "recommendation", 30, 1, 2, 0, 26, true],
      ["channel-data-byte", "beyond-reference", "structure", 34, 1, 3, 0, 31, true],
    ]],
    ["a velocity of FF in a file that conforms", highVelocity, "smf", null, [],
      [["channel-data-byte", "beyond-reference", "structure", 25, 1, 1, 0, 22, false]]],
    ["an RMID file: its SMF checked, at offsets in the file", rmid(highVelocity), "rmid", 20,
      [["header-malformed", "error", "structure", 0]],
      [["channel-data-byte", "beyond-reference", "structure", 45, 1, 1, 0, 42, false]]],
    ["an MP3 file (ID3 tag)", Uint8Array.from([0x49, 0x44, 0x33, 3, 0, 0, 0, 0, 0, 0]), "mp3", null,
      [["header-malformed", "error", "structure", 0]], []],
    ["an HTML page", ascii("<!DOCTYPE html><title>404</title>"), "html", null, [["header-malformed", "error", "structure", 0]], []],
    ["an empty file", new Uint8Array(), "empty", null, [["header-malformed", "error", "structure", 0]], []],
  ]) {
    const result = checker.check("x.mid", image);
    assert.equal(result.format, format, what);
    assert.equal(result.embedded_offset, embeddedOffset, what);
    assert.deepEqual(result.diagnostics.map((d) => [d.code, d.severity, d.grade, d.offset]), diagnostics, what);
    assert.deepEqual(result.findings.map((f) => [f.code, f.severity, f.grade, f.offset, f.track, f.event, f.tick, f.event_offset, f.after_first_error]),
      findings, what);
  }
});

test("findings are worded in the checker's language, as the library words them", async () => {
  const english = await createChecker({ language: "en" });
  const [japanese] = checker.check("x.mid", highVelocity).findings;
  assert.equal(english.check("x.mid", highVelocity).findings[0].message, "a data byte of Note On is 80 hex or more.");
  assert.match(japanese.message, /[^\x00-\x7f]/);
});

test("codes() gives each code's rule and what readers do, in the checker's language", async () => {
  const english = (await createChecker({ language: "en" })).codes();
  const japanese = checker.codes();
  assert.deepEqual(japanese.map(({ code, severity, grade }) => [code, severity, grade]),
    english.map(({ code, severity, grade }) => [code, severity, grade]));
  assert.equal(new Set(english.map(({ code }) => code)).size, english.length);
  for (const [i, { code, severity, grade, rule, readers, grade_reason: reason }] of english.entries()) {
    assert.match(code, /^[a-z0-9]+(-[a-z0-9]+)*$/);
    assert.equal(grade === "", ["warning", "file-error"].includes(severity), code);
    assert.equal(reason === "", grade === "", code);
    assert.ok(rule !== "" && readers !== "" && rule !== japanese[i].rule && readers !== japanese[i].readers, code);
    assert.ok(reason === "" || reason !== japanese[i].grade_reason, code);
  }
  assert.ok(english.some(({ severity }) => severity === "beyond-reference"));
  const codes = new Set(english.map(({ code }) => code));
  for (const file of [nonconforming, readFileSync(new URL("warnings.mid", examples))]) {
    for (const { code } of checker.check("x.mid", new Uint8Array(file)).diagnostics) assert.ok(codes.has(code), code);
  }
});
