// SPDX-License-Identifier: MIT
// Compiled (not run) against the installed package by ci/55-npm.sh: the
// declarations must describe what a user writes.
import { createChecker, type Diagnostic } from "quelder";

const checker = await createChecker({ language: "en" });
const result = checker.check("song.mid", new Uint8Array([0x4d, 0x54, 0x68, 0x64]));
const offsets: (number | null)[] = result.diagnostics.map((d: Diagnostic) => d.offset);
const firstRule: string | undefined = checker.codes()[0]?.rule;
console.log(result.conforms, offsets, firstRule, result.lines[0]?.stream);
