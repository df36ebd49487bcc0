// SPDX-License-Identifier: MIT
// The npm package as a user gets it: run from a directory where the packed
// tarball was installed (ci/55-npm.sh copies this file there), it imports
// "quelder" by name and checks the repository's examples (QUELDER_EXAMPLES),
// which must give what examples/list_diagnostics.c gives through the C
// library (list_diagnostics.expected beside them).
import assert from "node:assert/strict";
import { existsSync, readFileSync, readdirSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { test } from "node:test";

import { createChecker } from "quelder";

const examples = process.env.QUELDER_EXAMPLES;
assert.ok(examples, "QUELDER_EXAMPLES names the examples directory");

// name -> { conforms, diagnostics: [[code, severity, grade, offset, track, event, tick, message]] }
function expected() {
  const byName = new Map();
  for (const line of readFileSync(join(examples, "list_diagnostics.expected"), "utf8").trim().split("\n")) {
    const [path, ...fields] = line.split("\t");
    const name = path.split("/").pop();
    if (!byName.has(name)) byName.set(name, { conforms: null, diagnostics: [] });
    const entry = byName.get(name);
    if (fields.length === 1) entry.conforms = fields[0] === "conforms";
    else entry.diagnostics.push(fields.map((f, i) => (i >= 3 && i <= 6 ? Number(f) : f)));
  }
  return byName;
}

// As the C library shows them: -1 and 0 where the module has null, "-" for no grade.
const asListed = (d) => [d.code, d.severity, d.grade || "-", d.offset ?? -1, d.track ?? 0, d.event ?? 0,
  d.tick ?? 0, d.message];

test("the installed package checks the examples as the C library does", async () => {
  const checker = await createChecker({ language: "en" });
  const files = readdirSync(examples).filter((name) => name.endsWith(".mid")).sort();
  assert.ok(files.length > 0);
  for (const [name, want] of expected()) {
    assert.ok(files.includes(name), `${name} is listed but not shipped`);
    const result = checker.check(name, new Uint8Array(readFileSync(join(examples, name))));
    assert.deepEqual({ conforms: result.conforms, diagnostics: result.diagnostics.map(asListed) }, want, name);
  }
});

test("both languages load, with the same table of codes", async () => {
  const [english, japanese] = await Promise.all([createChecker({ language: "en" }), createChecker({ language: "ja" })]);
  const codes = (checker) => checker.codes().map(({ code, severity, grade }) => [code, severity, grade]);
  assert.deepEqual(codes(japanese), codes(english));
  assert.notEqual(japanese.codes()[0].rule, english.codes()[0].rule);
});

test("the package ships its types and both checkers", () => {
  const dir = dirname(fileURLToPath(import.meta.resolve("quelder/package.json")));
  const manifest = JSON.parse(readFileSync(join(dir, "package.json"), "utf8"));
  assert.equal(manifest.exports["."].types, "./quelder.d.ts");
  for (const file of ["quelder.d.ts", "quelder-en.wasm", "quelder-ja.wasm"]) {
    assert.ok(existsSync(join(dir, file)), file);
  }
});
