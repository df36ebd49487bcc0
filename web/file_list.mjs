// SPDX-License-Identifier: MIT
// The results list: one entry per file, in the order the files were given,
// with its verdict, the lines the checker printed (in the order the command
// line prints them: progress line, diagnostics, verdict line) and, for each
// diagnostic, where it is in the file and in the music, what its rule asks,
// what readers do, and the bytes around its offset. Texts are made by
// textElement (page_texts.mjs), passed in, so that they follow the page's
// language.

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
export function showResult(entry, { conforms, lines }, milliseconds, textElement) {
  const verdict = textElement("p", conforms ? "conforms" : "doesNotConform");
  verdict.className = `verdict ${conforms ? "conforms" : "does-not-conform"}`;
  const elapsed = textElement("span", "elapsed", { milliseconds: Math.round(milliseconds) });
  elapsed.className = "elapsed";
  const output = entry.ownerDocument.createElement("pre");
  output.className = "output";
  output.textContent = lines.map(({ text }) => `${text}\n`).join("");
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

// One diagnostic, after the output and those shown before it: its severity,
// code and message, where it is (offset: its offset's { decimal, hex } texts,
// null for a file error) and its explanation ({ rule, readers }). Returns its
// element, for showBytes.
export function showDiagnostic(entry, { diagnostic, explanation, offset }, textElement) {
  const document = entry.ownerDocument;
  const section = document.createElement("section");
  section.className = `diagnostic ${diagnostic.severity}`;
  section.dataset.code = diagnostic.code;
  const heading = document.createElement("h4");
  const code = document.createElement("code");
  code.textContent = diagnostic.code;
  heading.append(textElement("span", diagnostic.severity), " ", code, " ", diagnostic.message);
  section.append(heading);
  if (offset !== null) section.append(whereElement(document, offset, diagnostic, textElement));
  const details = document.createElement("dl");
  details.className = "explanation";
  for (const key of ["rule", "readers"]) {
    const value = document.createElement("dd");
    value.className = key;
    value.textContent = explanation[key];
    details.append(textElement("dt", key), value);
  }
  section.append(details);
  (entry.querySelector(".diagnostics") ?? appendList(entry)).append(section);
  return section;
}

// A note that count diagnostics more are in the output only.
export function showMoreDiagnostics(entry, count, textElement) {
  entry.querySelector(".diagnostics").append(textElement("p", "moreDiagnostics", { count }));
}

// The bytes around a diagnostic's offset, with their caption.
export function showBytes(section, caption, view) {
  const figure = section.ownerDocument.createElement("figure");
  figure.append(caption, view ?? "");
  section.append(figure);
}

function appendList(entry) {
  const list = entry.ownerDocument.createElement("div");
  list.className = "diagnostics";
  entry.querySelector(".output").after(list);
  return list;
}

// "offset 51 (0x33) · track 2, event 14, tick 1,920", the location in the
// music for a diagnostic in a track.
function whereElement(document, offset, { track, event, tick }, textElement) {
  const where = document.createElement("p");
  where.className = "where";
  where.append(textElement("span", "offset", offset));
  if (track !== null) {
    const [shownTrack, shownEvent, shownTick] = [track, event, tick].map((n) => n.toLocaleString("en-US"));
    const location = textElement("span", "location", { track: shownTrack, event: shownEvent, tick: shownTick });
    location.className = "location";
    where.append(" · ", location);
  }
  return where;
}
