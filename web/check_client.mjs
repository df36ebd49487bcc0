// The page's side of check_worker.mjs: check(file, language) resolves to the
// worker's answer for that file (see check_worker.mjs). Requests are answered
// in turn; if the worker itself dies, its pending checks fail and a new one
// takes the next.

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

  return {
    check(file, language) {
      if (worker === null) start();
      const id = nextId++;
      return new Promise((resolve) => {
        pending.set(id, resolve);
        worker.postMessage({ id, file, language, coreUrl, wasmUrl: wasmUrlFor(language) });
      });
    },
  };
}
