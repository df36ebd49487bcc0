// SPDX-License-Identifier: MIT
// The files a user gives the page, each as { file, path }: path is where the
// file lies below what was chosen or dropped ("songs/a/b.mid"), or its name
// for a single file. Folders are walked to every file in them, the entries of
// each folder in name order, so that a folder gives the same list however it
// was given.

// The files of a file input, one with webkitdirectory (a folder: its files
// in path order) or not (in the order chosen).
export function filesOfInput(input) {
  const files = [...input.files].map((file) => ({ file, path: file.webkitRelativePath || file.name }));
  return files.some(({ file }) => file.webkitRelativePath) ? files.sort((a, b) => compareNames(a.path, b.path)) : files;
}

// The files of a drop, folders walked: { files, unreadable }, unreadable the
// paths of folders the browser would not list (Chromium lists none on a page
// opened from disk). The items must be taken while the drop event is being
// handled (the browser empties them after it), so call this in the handler
// itself, before any await.
export async function filesOfDrop(dataTransfer) {
  const dropped = [...dataTransfer.items]
    .filter((item) => item.kind === "file")
    .map((item) => ({ entry: item.webkitGetAsEntry?.(), file: item.getAsFile() }));
  const files = [];
  const unreadable = [];
  for (const { entry, file } of dropped) {
    if (entry?.isDirectory) await walk(entry, files, unreadable);
    else if (file !== null) files.push({ file, path: file.name });
  }
  return { files, unreadable };
}

async function walk(entry, files, unreadable) {
  const path = entry.fullPath.replace(/^\//, "");
  try {
    if (entry.isFile) {
      files.push({ file: await new Promise((done, fail) => entry.file(done, fail)), path });
      return;
    }
    const children = (await readAllEntries(entry.createReader())).sort((a, b) => compareNames(a.name, b.name));
    for (const child of children) await walk(child, files, unreadable);
  } catch {
    unreadable.push(path);
  }
}

// A directory reader gives its entries in batches, until an empty one.
async function readAllEntries(reader) {
  const all = [];
  for (;;) {
    const batch = await new Promise((done, fail) => reader.readEntries(done, fail));
    if (batch.length === 0) return all;
    all.push(...batch);
  }
}

const compareNames = (a, b) => (a < b ? -1 : a > b ? 1 : 0);
