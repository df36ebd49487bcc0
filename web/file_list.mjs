// SPDX-License-Identifier: MIT
// The results list: one entry per file, in the order the files were given,
// with its verdict, the lines the checker printed (in the order the command
// line prints them: progress line, diagnostics, verdict line) and, for an
// error at an offset, the bytes around it. Texts are made by textElement
// (page_texts.mjs), passed in, so that they follow the page's language.

// A new entry for a file being checked, added to list.
export function addEntry(list, name, textElement) {
  const entry = list.ownerDocument.createElement("li");
  entry.className = "file";
  entry.setAttribute("aria-busy", "true");
  const heading = list.ownerDocument.createElement("h3");
  heading.textContent = name;
  const status = textElement("p", "checking");
  status.className = "verdict";
  entry.append(heading, status);
  list.append(entry);
  return entry;
}

// The checker's answer for the entry's file.
export function showResult(entry, { conforms, stdout, stderr }, milliseconds, textElement) {
  const verdict = textElement("p", conforms ? "conforms" : "doesNotConform");
  verdict.className = `verdict ${conforms ? "conforms" : "does-not-conform"}`;
  const elapsed = textElement("span", "elapsed", { milliseconds: Math.round(milliseconds) });
  elapsed.className = "elapsed";
  const output = entry.ownerDocument.createElement("pre");
  output.className = "output";
  output.textContent = commandLineOrder(stdout, stderr);
  entry.querySelector(".verdict").replaceWith(verdict);
  entry.append(output, elapsed);
  entry.setAttribute("aria-busy", "false");
}

// A file that could not be checked: a message instead of a verdict.
export function showFailure(entry, message) {
  message.className = "verdict failure";
  entry.querySelector(".verdict").replaceWith(message);
  entry.setAttribute("aria-busy", "false");
}

// The bytes around the error, with their caption, after the output.
export function showBytes(entry, caption, view) {
  const figure = entry.ownerDocument.createElement("figure");
  figure.append(caption, view ?? "");
  entry.querySelector(".output").after(figure);
}

function commandLineOrder(stdout, stderr) {
  const progressEnd = stdout.indexOf("\n") + 1;
  return stdout.slice(0, progressEnd) + stderr + stdout.slice(progressEnd);
}
