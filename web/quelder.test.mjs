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

function checkAll(checker, files) {
  const printed = { stdout: "", stderr: "" };
  if (!verdictLines.has(checker)) verdictLines.set(checker, { true: new Set(), false: new Set() });
  for (const { name, bytes } of files) {
    const { conforms, stdout, stderr } = checker.check(name, bytes);
    printed.stdout += stdout;
    printed.stderr += stderr;
    // A name that is not echoed as itself (a control character in it) cannot be taken out.
    const verdict = stdout.split("\n")[1];
    if (name !== "" && verdict.includes(name)) verdictLines.get(checker)[conforms].add(verdict.replace(name, "%s"));
  }
  return printed;
}

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
  assert.equal(tooLarge.stdout, checker.check("huge.mid", nonconforming).stdout);
  assert.equal(checker.check("x.mid", conforming).conforms, true);
});
