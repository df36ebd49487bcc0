// SPDX-License-Identifier: MIT
// The Quelder checker in WebAssembly, for the page and for Node.
//
//   import { createChecker } from "./quelder.mjs";
//   const checker = await createChecker();           // { language: "ja" }
//   const { conforms, stdout, stderr, lines, diagnostics, findings, format, embedded_offset } =
//     checker.check("song.mid", bytes);
//   const codes = checker.codes();                   // what each code means
//
// check(name, bytes) checks one file: name is a string, echoed where the
// command line echoes its argument (as a C string, it ends at a NUL), bytes a
// Uint8Array holding the whole file. It returns the verdict and exactly the
// text that the UTF-8 command-line program prints for that one file: stdout
// its progress and verdict lines, stderr its diagnostics; lines the same lines
// in the order they were written, each { stream: "stdout" | "stderr", text }
// without its line feed; and diagnostics, one value for each diagnostic line
// on stderr, in order:
//   code          stable name, e.g. "track-length" (docs/codes.md)
//   severity      "error", "warning" or "file-error"
//   grade         "structure", "content", "recommendation"; "" for warnings
//                 and file errors
//   offset        of the field the line shows, from 0; null for a file error
//   track, event  the track chunk and the event in it, counting from 1;
//                 null outside a track
//   tick          the track's delta times up to the event, its own included
//                 (exact up to 2^53); null outside a track
//   event_offset  where the event starts; null outside a track
//   message       the message alone, in the checker's language: no form, no
//                 line feed
// (the names of the C library's quelder_diagnostic). Beside them, what the C
// library (include/quelder/quelder.h) gives for the same bytes and nothing
// printed says:
//   findings      its findings, in its order, each with the fields above and
//                 after_first_error (true when it comes after the error that
//                 decided the verdict); severity may also be
//                 "beyond-reference", a rule the command line does not
//                 examine. Only additions: no diagnostic above again. For an
//                 SMF inside a container, every diagnostic of its check, at
//                 offsets in the container.
//   format        what the file is: "smf", "rmid", "wave", "mp3", ...,
//                 "empty", "unknown" (quelder_result_format).
//   embedded_offset  where the SMF inside an "rmid" or "macbinary" file
//                 starts; null when there is none.
// A file that cannot be
// held in the checker's memory gets the memory file error and does not
// conform, as on the command line. Nothing is kept between calls: the core
// frees the file's memory before check returns. check throws a TypeError when
// bytes is not a Uint8Array, and passes on the error of a trap in the core
// (whose next call then starts on a fresh instance).
//
// codes() returns the reference table of codes, in the order of their
// numbers, in the checker's language: { code, severity, grade, rule, readers,
// grade_reason }, rule saying what the code's rule asks, readers what readers
// commonly do with a file that breaks it and grade_reason why it has its
// grade ("" for a code without one).
//
// Options of createChecker:
//   language  "ja" (default), or any other language whose quelder-<language>.wasm
//             was built beside this file;
//   wasm      where the WebAssembly is instead: a URL or URL string, its bytes
//             (ArrayBuffer or typed array) or a WebAssembly.Module.
//
// The core is a WASI reactor; it imports four WASI functions, provided here:
// fd_write keeps what it writes to standard output and standard error, the
// others answer as for a stream that is neither a terminal nor seekable. It
// also imports quelder.diagnostic, through which it hands over each
// diagnostic as it prints its line, and quelder.finding and quelder.format,
// through which it hands over the library's answer (web/quelder_wasm.cpp).

const errnoBadFileDescriptor = 8;
const errnoNotSeekable = 70;
const standardOutput = 1;
const standardError = 2;
const streamNames = { [standardOutput]: "stdout", [standardError]: "stderr" };

export async function createChecker({ language = "ja", wasm } = {}) {
  const module = await compile(wasm ?? new URL(`quelder-${language}.wasm`, import.meta.url));
  let core = null;  // instantiated on first use, again after a trap
  const started = () => (core ??= instantiate(module));
  return {
    check(name, bytes) {
      if (!(bytes instanceof Uint8Array)) throw new TypeError("check(name, bytes): bytes must be a Uint8Array");
      try {
        return started().check(name, bytes);
      } catch (trap) {
        core = null;  // a trapped instance is in no state to go on
        throw trap;
      }
    },
    codes() {
      return started().codes.map((row) => ({ ...row }));
    },
  };
}

async function compile(wasm) {
  if (wasm instanceof WebAssembly.Module) return wasm;
  if (wasm instanceof ArrayBuffer || ArrayBuffer.isView(wasm)) return WebAssembly.compile(wasm);
  const url = new URL(wasm);
  if (url.protocol === "file:") {
    const { readFile } = await import("node:fs/promises");
    return WebAssembly.compile(await readFile(url));
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url}: ${response.status} ${response.statusText}`);
  return WebAssembly.compile(await response.arrayBuffer());
}

function instantiate(module) {
  const written = new Output();
  let diagnostics = [];
  let findings = [];
  let format = "";
  let embeddedOffset = null;
  let memory = null;
  const encoder = new TextEncoder();
  // A name may begin with U+FEFF: keep it, as the command line does.
  const decoder = new TextDecoder("utf-8", { ignoreBOM: true });
  const textAt = (pointer, length) => decoder.decode(new Uint8Array(memory.buffer, pointer, length));
  const cString = (pointer) => textAt(pointer, new Uint8Array(memory.buffer, pointer).indexOf(0));

  const wasi = {
    fd_write(fd, iovs, iovsLength, writtenOut) {
      if (!(fd in streamNames)) return errnoBadFileDescriptor;
      const view = new DataView(memory.buffer);
      let total = 0;
      for (let i = 0; i < iovsLength; i++) {
        const base = view.getUint32(iovs + 8 * i, true);
        const length = view.getUint32(iovs + 8 * i + 4, true);
        written.append(fd, new Uint8Array(memory.buffer, base, length));
        total += length;
      }
      view.setUint32(writtenOut, total, true);
      return 0;
    },
    fd_fdstat_get: () => errnoBadFileDescriptor,
    fd_seek: () => errnoNotSeekable,
    fd_close: () => 0,
  };
  let codes = [];
  let codesByName = new Map();
  // Outside a track (track 0) the numbers of a place are null; so is an
  // offset of -1 (a file error's).
  const place = (offset, track, event, tick, eventOffset) => {
    const inTrack = track !== 0;
    return {
      offset: offset < 0 ? null : offset,
      track: inTrack ? track : null,
      event: inTrack ? event : null,
      tick: inTrack ? tick : null,
      event_offset: inTrack ? eventOffset : null,
    };
  };
  const quelder = {
    diagnostic(code, offset, track, event, tick, eventOffset, message, messageLength) {
      const { severity, grade } = codes[code];
      diagnostics.push({
        code: codes[code].code,
        severity,
        grade,
        ...place(severity === "file-error" ? -1 : offset >>> 0, track, event >>> 0, tick, eventOffset >>> 0),
        message: textAt(message, messageLength),
      });
    },
    finding(code, offset, track, event, tick, eventOffset, afterFirstError, message) {
      const { severity, grade } = codesByName.get(cString(code));
      findings.push({
        code: cString(code),
        severity,
        grade,
        ...place(offset, track, event >>> 0, tick, eventOffset),
        message: cString(message),
        after_first_error: afterFirstError !== 0,
      });
    },
    format(name, offset) {
      format = cString(name);
      embeddedOffset = offset < 0 ? null : offset;
    },
  };
  const { exports } = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi, quelder });
  memory = exports.memory;
  exports._initialize();
  codes = Array.from({ length: exports.codeCount() }, (_, code) => ({
    code: cString(exports.codeText(code, 0)),
    severity: cString(exports.codeText(code, 4)),
    grade: cString(exports.codeText(code, 5)),
    rule: cString(exports.codeText(code, 1)),
    readers: cString(exports.codeText(code, 2)),
    grade_reason: cString(exports.codeText(code, 3)),
  }));
  codesByName = new Map(codes.map((row) => [row.code, row]));
  const copyIn = (pointer, bytes) => new Uint8Array(memory.buffer, pointer, bytes.length).set(bytes);

  return {
    codes,
    check(name, bytes) {
      const nameBytes = encoder.encode(String(name).split("\0", 1)[0] + "\0");
      const namePointer = exports.reserve(nameBytes.length) >>> 0;
      if (namePointer === 0) throw new RangeError("Quelder: no memory left for the file name");
      copyIn(namePointer, nameBytes);
      // Offsets are 32-bit: a larger file could not be held on the command line either.
      const imagePointer = bytes.length <= 0xfffffffe ? exports.reserve(bytes.length) >>> 0 : 0;
      if (imagePointer !== 0) copyIn(imagePointer, bytes);
      diagnostics = [];
      findings = [];
      const conforms = exports.checkNamedImage(namePointer, imagePointer, bytes.length >>> 0) === 1;
      return { conforms, ...written.take(decoder), diagnostics, findings, format, embedded_offset: embeddedOffset };
    },
  };
}

// What one check writes to standard output and standard error: each stream's
// bytes, and where each line ends, in the order the lines were written.
class Output {
  constructor() {
    this.streams = { [standardOutput]: new ByteSink(), [standardError]: new ByteSink() };
    this.lineStarts = { [standardOutput]: 0, [standardError]: 0 };
    this.lineEnds = [];  // stream, start, end of each line, flat
  }

  append(fd, chunk) {
    const sink = this.streams[fd];
    const before = sink.length;
    sink.append(chunk);
    for (let feed = chunk.indexOf(0x0a); feed !== -1; feed = chunk.indexOf(0x0a, feed + 1)) {
      this.lineEnds.push(fd, this.lineStarts[fd], before + feed);
      this.lineStarts[fd] = before + feed + 1;
    }
  }

  // { stdout, stderr, lines } so far; everything starts again empty. A last
  // line without its line feed comes last.
  take(decoder) {
    const bytes = { [standardOutput]: this.streams[standardOutput].take(), [standardError]: this.streams[standardError].take() };
    for (const fd of [standardOutput, standardError]) {
      if (this.lineStarts[fd] < bytes[fd].length) this.lineEnds.push(fd, this.lineStarts[fd], bytes[fd].length);
      this.lineStarts[fd] = 0;
    }
    const lines = [];
    for (let i = 0; i < this.lineEnds.length; i += 3) {
      const [fd, start, end] = this.lineEnds.slice(i, i + 3);
      lines.push({ stream: streamNames[fd], text: decoder.decode(bytes[fd].subarray(start, end)) });
    }
    this.lineEnds = [];
    return { stdout: decoder.decode(bytes[standardOutput]), stderr: decoder.decode(bytes[standardError]), lines };
  }
}

// The bytes written to one stream during one check.
class ByteSink {
  static smallSize = 4096;

  constructor() {
    this.bytes = new Uint8Array(ByteSink.smallSize);
    this.length = 0;
  }

  append(chunk) {
    if (this.length + chunk.length > this.bytes.length) {
      const grown = new Uint8Array(Math.max(2 * this.bytes.length, this.length + chunk.length));
      grown.set(this.bytes.subarray(0, this.length));
      this.bytes = grown;
    }
    this.bytes.set(chunk, this.length);
    this.length += chunk.length;
  }

  // The bytes so far; the sink starts again empty, and small.
  take() {
    const taken = this.bytes.subarray(0, this.length);
    this.bytes = new Uint8Array(ByteSink.smallSize);
    this.length = 0;
    return taken;
  }
}
