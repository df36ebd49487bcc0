// SPDX-License-Identifier: MIT
// The details of one file: its verdict, the lines the checker printed (in the
// order the command line prints them: progress line, diagnostics, verdict
// line) and, for each diagnostic, where it is in the file and in the music,
// what its rule asks, what readers do, and the bytes around its offset. Texts
// are made by textElement (page_texts.mjs), passed in, so that they follow
// the page's language.
//
// The page's modules import nothing from each other: loaded from data: URLs
// (opened from disk), a relative import would not resolve. What one needs of
// another comes as an argument (here hex, of hex_view.mjs).

// A new entry for a file being checked, in place of what container held.
export function showEntry(container, name, textElement) {
  const entry = container.ownerDocument.createElement("article");
  entry.className = "file";
  entry.setAttribute("aria-busy", "true");
  const heading = container.ownerDocument.createElement("h3");
  heading.textContent = name;
  heading.tabIndex = -1;  // focused when the details open
  const status = textElement("p", "checking");
  status.className = "verdict";
  entry.append(heading, status);
  container.replaceChildren(entry);
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
// code and message, where it is, its explanation ({ rule, readers }) and,
// for an unknown meta event, its type byte (metaType, else null). Returns its
// element, for showBytes.
export function showDiagnostic(entry, { diagnostic, explanation, metaType }, { textElement, hex }) {
  const document = entry.ownerDocument;
  const section = document.createElement("section");
  section.className = `diagnostic ${diagnostic.severity}`;
  section.dataset.code = diagnostic.code;
  const heading = document.createElement("h4");
  const code = document.createElement("code");
  code.textContent = diagnostic.code;
  heading.append(textElement("span", diagnostic.severity), " ", code, " ", diagnostic.message);
  section.append(heading);
  if (diagnostic.offset !== null) {
    const where = document.createElement("p");
    where.append(locationElement(document, diagnostic, { textElement, hex }));
    section.append(where);
  }
  if (metaType !== null) {
    const type = textElement("p", "metaType", { hex: hex(metaType, 2) });
    type.className = "meta-type";
    section.append(type);
  }
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

// "offset 51 (0x33) · track 2, event 14, tick 1,920": where a diagnostic is,
// in the file and, inside a track, in the music; nothing for a file error.
export function locationElement(document, { offset, track, event, tick }, { textElement, hex }) {
  const where = document.createElement("span");
  where.className = "where";
  if (offset === null) return where;
  where.append(textElement("span", "offset", { decimal: offset, hex: hex(offset, 1) }));
  if (track !== null) {
    const [shownTrack, shownEvent, shownTick] = [track, event, tick].map((n) => n.toLocaleString("en-US"));
    const location = textElement("span", "location", { track: shownTrack, event: shownEvent, tick: shownTick });
    location.className = "location";
    where.append(" · ", location);
  }
  return where;
}

function appendList(entry) {
  const list = entry.ownerDocument.createElement("div");
  list.className = "diagnostics";
  entry.querySelector(".output").after(list);
  return list;
}
