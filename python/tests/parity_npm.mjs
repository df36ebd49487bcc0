// SPDX-License-Identifier: MIT
// For test_parity.py: checks each file named on standard input (one per
// line) with the npm package's module (argv[2], a path to quelder.mjs) in
// English and prints one JSON line each: { conforms, diagnostics: [[code, severity, offset]] }.
import { readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";

const { createChecker } = await import(pathToFileURL(process.argv[2]));
const checker = await createChecker({ language: "en" });
for (const path of readFileSync(0, "utf8").split("\n").filter(Boolean)) {
  const { conforms, diagnostics } = checker.check(path, new Uint8Array(readFileSync(path)));
  const listed = diagnostics.map((d) => [d.code, d.severity, d.offset ?? -1]);
  process.stdout.write(`${JSON.stringify({ conforms, diagnostics: listed })}\n`);
}
