// SPDX-License-Identifier: MIT
// The page's checks run here, off the main thread, so that a large file does
// not freeze the page. Loaded as a module worker; the page may load it from a
// data: URL, where no relative import resolves, so the URLs of the core come
// with each request.
//
// In:  { id, file (a File or Blob), name (echoed in the lines; the file's
//      own name if none), language, details, coreUrl, wasmUrl }
// Out: { id, result, explanations, milliseconds }, result being what the
//      checker's check gives (quelder.mjs) and explanations the rule,
//      readers and grade reason of each code among its diagnostics and
//      findings: { code: { rule, readers, grade_reason } }; without details,
//      result holds only conforms, format, diagnostics and findings, for a
//      summary of many files
//   or { id, failure: "unreadable" | "checker", detail }
// A request without a file only loads the checker of its language, ahead of
// the first file, and is not answered.

const checkers = new Map();  // language -> Promise of { checker, explanations by code }

function checkerFor({ language, coreUrl, wasmUrl }) {
  if (!checkers.has(language)) {
    checkers.set(language, import(coreUrl).then(async ({ createChecker }) => {
      const checker = await createChecker({ language, wasm: wasmUrl });
      const explanations = new Map(checker.codes().map(({ code, rule, readers, grade_reason }) =>
        [code, { rule, readers, grade_reason }]));
      return { checker, explanations };
    }));
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
    const { checker, explanations } = await checkerFor(request);
    const result = checker.check(request.name ?? request.file.name ?? "", bytes);
    if (!request.details) {
      const { conforms, format, diagnostics, findings } = result;
      return { result: { conforms, format, diagnostics, findings }, milliseconds: performance.now() - started };
    }
    const codes = new Set([...result.diagnostics, ...result.findings].map(({ code }) => code));
    return {
      result,
      explanations: Object.fromEntries([...codes].map((code) => [code, explanations.get(code)])),
      milliseconds: performance.now() - started,
    };
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
