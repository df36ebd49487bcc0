// SPDX-License-Identifier: MIT
// Types of quelder.mjs; its comment at the top is the contract.

/** One diagnostic line of standard error, as a value. */
export interface Diagnostic {
  /** Stable name, e.g. "track-length". */
  code: string;
  severity: "error" | "warning" | "file-error";
  /** "" for warnings and file errors. */
  grade: "structure" | "content" | "recommendation" | "";
  /** Byte offset of the field the line shows; null for a file error. */
  offset: number | null;
  /** The track chunk, from 1; null outside a track. */
  track: number | null;
  /** The event in its track, from 1; null outside a track. */
  event: number | null;
  /** The track's delta times up to the event (exact up to 2^53); null outside a track. */
  tick: number | null;
  /** Where the event starts; null outside a track. */
  event_offset: number | null;
  /** The message alone, in the checker's language. */
  message: string;
}

export interface Line {
  stream: "stdout" | "stderr";
  /** Without its line feed. */
  text: string;
}

export interface CheckResult {
  conforms: boolean;
  /** What the UTF-8 command-line program prints on standard output for the file. */
  stdout: string;
  /** ... and on standard error: its diagnostics. */
  stderr: string;
  /** Both, line by line, in the order written. */
  lines: Line[];
  /** One for each line of stderr, in order. */
  diagnostics: Diagnostic[];
}

/** A row of the reference table of codes, in the checker's language. */
export interface CodeInfo {
  code: string;
  severity: Diagnostic["severity"];
  grade: Diagnostic["grade"];
  /** What the code's rule asks. */
  rule: string;
  /** What readers commonly do with a file that breaks it. */
  readers: string;
}

export interface Checker {
  /**
   * Checks one whole file. name is echoed where the command line echoes its
   * argument. Keeps nothing between calls. Throws a TypeError when bytes is
   * not a Uint8Array.
   */
  check(name: string, bytes: Uint8Array): CheckResult;
  /** The reference table of codes, in the order of their numbers. */
  codes(): CodeInfo[];
}

export interface CheckerOptions {
  /** "ja" (default) or "en": quelder-<language>.wasm beside the module. */
  language?: string;
  /** Where the WebAssembly is instead: a URL, its bytes, or a compiled module. */
  wasm?: URL | string | ArrayBuffer | ArrayBufferView | WebAssembly.Module;
}

export function createChecker(options?: CheckerOptions): Promise<Checker>;
