// SPDX-License-Identifier: MIT
// The page's checks run here, off the main thread, so that a large file does
// not freeze the page. Loaded as a module worker; the page may load it from a
// data: URL, where no relative import resolves, so the URLs of the core come
// with each request.
//
// In:  { id, file (a File or Blob), language, coreUrl, wasmUrl }
// Out: { id, result: { conforms, stdout, stderr }, milliseconds }
//   or { id, failure: "unreadable" | "checker", detail }
// A request without a file only loads the checker of its language, ahead of
// the first file, and is not answered.

const checkers = new Map();  // language -> Promise of a checker

function checkerFor({ language, coreUrl, wasmUrl }) {
  if (!checkers.has(language)) {
    checkers.set(language, import(coreUrl).then(({ createChecker }) =>
      createChecker({ language, wasm: wasmUrl })));
  }
  return checkers.get(language);
}

async function check(request) {
  const started = performance.now();
  let bytes;
  try {
    bytes = new Uint8Array(await request.file.arrayBuffer());
  } catch (error) {
    return { failure: "unreadable", detail: String(error) };
  }
  try {
    const result = (await checkerFor(request)).check(request.file.name ?? "", bytes);
    return { result, milliseconds: performance.now() - started };
  } catch (error) {
    checkers.delete(request.language);
    return { failure: "checker", detail: String(error) };
  }
}

// One file at a time: a second large file is not read while the first is held.
let done = Promise.resolve();
self.onmessage = ({ data }) => {
  if (data.file === undefined) {
    checkerFor(data).catch(() => checkers.delete(data.language));  // the first file tells
    return;
  }
  done = done.then(async () => self.postMessage({ id: data.id, ...(await check(data)) }));
};
