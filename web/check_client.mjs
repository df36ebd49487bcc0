// SPDX-License-Identifier: MIT
// The page's side of check_worker.mjs: check(file, language, { details,
// name }) resolves to the worker's answer for that file (see check_worker.mjs); prepare(language)
// loads that language's checker before the first file needs it. Requests are
// answered in turn; if the worker itself dies, its pending checks fail and a
// new one takes the next.

export function createCheckClient({ workerUrl, coreUrl, wasmUrlFor }) {
  let worker = null;
  let nextId = 0;
  const pending = new Map();  // id -> resolve

  const start = () => {
    worker = new Worker(workerUrl, { type: "module" });
    worker.onmessage = ({ data }) => {
      pending.get(data.id)?.(data);
      pending.delete(data.id);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      for (const [id, resolve] of pending) resolve({ id, failure: "checker", detail: event.message ?? "" });
      pending.clear();
      worker.terminate();
      worker = null;
    };
  };

  const send = (request) => {
    if (worker === null) start();
    worker.postMessage({ ...request, coreUrl, wasmUrl: wasmUrlFor(request.language) });
  };

  return {
    prepare(language) {
      send({ language });
    },
    check(file, language, { details = true, name } = {}) {
      const id = nextId++;
      return new Promise((resolve) => {
        pending.set(id, resolve);
        send({ id, file, name, language, details });
      });
    },
  };
}
