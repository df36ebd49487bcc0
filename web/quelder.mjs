// SPDX-License-Identifier: MIT
// The Quelder checker in WebAssembly, for the page and for Node.
//
//   import { createChecker } from "./quelder.mjs";
//   const checker = await createChecker();           // { language: "ja" }
//   const { conforms, stdout, stderr } = checker.check("song.mid", bytes);
//
// check(name, bytes) checks one file: name is a string, echoed where the
// command line echoes its argument (as a C string, it ends at a NUL), bytes a
// Uint8Array holding the whole file. It returns the verdict and exactly the
// text that the UTF-8 command-line program prints for that one file: stdout
// its progress and verdict lines, stderr its diagnostics. A file that cannot
// be held in the checker's memory gets the memory message and does not
// conform, as on the command line. Nothing is kept between calls: the core
// frees the file's memory before check returns. check throws a TypeError when
// bytes is not a Uint8Array, and passes on the error of a trap in the core
// (whose next call then starts on a fresh instance).
//
// Options of createChecker:
//   language  "ja" (default), or any other language whose quelder-<language>.wasm
//             was built beside this file;
//   wasm      where the WebAssembly is instead: a URL or URL string, its bytes
//             (ArrayBuffer or typed array) or a WebAssembly.Module.
//
// The core is a WASI reactor; it imports four WASI functions, provided here:
// fd_write keeps what it writes to standard output and standard error, the
// others answer as for a stream that is neither a terminal nor seekable.

const errnoBadFileDescriptor = 8;
const errnoNotSeekable = 70;
const standardOutput = 1;
const standardError = 2;

export async function createChecker({ language = "ja", wasm } = {}) {
  const module = await compile(wasm ?? new URL(`quelder-${language}.wasm`, import.meta.url));
  let core = null;  // instantiated on first use, again after a trap
  return {
    check(name, bytes) {
      if (!(bytes instanceof Uint8Array)) throw new TypeError("check(name, bytes): bytes must be a Uint8Array");
      core ??= instantiate(module);
      try {
        return core.check(name, bytes);
      } catch (trap) {
        core = null;  // a trapped instance is in no state to go on
        throw trap;
      }
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
  const written = { [standardOutput]: new ByteSink(), [standardError]: new ByteSink() };
  let memory = null;
  const wasi = {
    fd_write(fd, iovs, iovsLength, writtenOut) {
      if (!(fd in written)) return errnoBadFileDescriptor;
      const view = new DataView(memory.buffer);
      let total = 0;
      for (let i = 0; i < iovsLength; i++) {
        const base = view.getUint32(iovs + 8 * i, true);
        const length = view.getUint32(iovs + 8 * i + 4, true);
        written[fd].append(new Uint8Array(memory.buffer, base, length));
        total += length;
      }
      view.setUint32(writtenOut, total, true);
      return 0;
    },
    fd_fdstat_get: () => errnoBadFileDescriptor,
    fd_seek: () => errnoNotSeekable,
    fd_close: () => 0,
  };
  const { exports } = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi });
  memory = exports.memory;
  exports._initialize();

  const encoder = new TextEncoder();
  // A name may begin with U+FEFF: keep it, as the command line does.
  const decoder = new TextDecoder("utf-8", { ignoreBOM: true });
  const takeText = (fd) => decoder.decode(written[fd].take());
  const copyIn = (pointer, bytes) => new Uint8Array(memory.buffer, pointer, bytes.length).set(bytes);

  return {
    check(name, bytes) {
      const nameBytes = encoder.encode(String(name).split("\0", 1)[0] + "\0");
      const namePointer = exports.reserve(nameBytes.length) >>> 0;
      if (namePointer === 0) throw new RangeError("Quelder: no memory left for the file name");
      copyIn(namePointer, nameBytes);
      // Offsets are 32-bit: a larger file could not be held on the command line either.
      const imagePointer = bytes.length <= 0xfffffffe ? exports.reserve(bytes.length) >>> 0 : 0;
      if (imagePointer !== 0) copyIn(imagePointer, bytes);
      const conforms = exports.checkNamedImage(namePointer, imagePointer, bytes.length >>> 0) === 1;
      return { conforms, stdout: takeText(standardOutput), stderr: takeText(standardError) };
    },
  };
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
