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
export function showDiagnostic(entry, shown, texts) {
  const section = diagnosticSection(entry.ownerDocument, "diagnostic", "h4", shown, texts);
  (entry.querySelector(".diagnostics") ?? appendList(entry)).append(section);
  return section;
}

// The section of one diagnostic or finding (kind), headed by a heading of
// tag: severity, code, message; where it is; the meta type; its explanation.
function diagnosticSection(document, kind, tag, { diagnostic, explanation, metaType }, { textElement, hex }) {
  const section = document.createElement("section");
  section.className = `${kind} ${diagnostic.severity}`;
  section.dataset.code = diagnostic.code;
  const heading = document.createElement(tag);
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
  for (const key of ["rule", "readers", "grade_reason"]) {
    if (!explanation[key]) continue;
    const value = document.createElement("dd");
    value.className = key;
    value.textContent = explanation[key];
    details.append(textElement("dt", key), value);
  }
  section.append(details);
  return section;
}

// What the file is, when it is not an SMF: a sentence after the verdict,
// naming the format and, for a container, where its SMF is.
export function showFormat(entry, { format, embedded_offset: embeddedOffset }, textElement) {
  if (format === "smf") return;
  const name = { text: `format-${format}` };
  const [key, values] = format === "empty" || format === "unknown" ? [`format-${format}-file`, {}]
    : ["rmid", "macbinary"].includes(format)
      ? (embeddedOffset === null ? ["containerWithoutSmf", { name }] : ["containerChecked", { name, offset: embeddedOffset }])
      : ["notSmf", { name }];
  const line = textElement("p", key, values);
  line.className = "format";
  entry.querySelector(".verdict").after(line);
}

// The grades findings are shown under, in this order: how far a reader can
// trust the file past each; then warnings, and the rules beyond the
// reference ones.
export const findingGroups = ["structure", "content", "recommendation", "warning", "beyond-reference"];

const groupOf = ({ severity, grade }) => (severity === "beyond-reference" ? severity : grade || "warning");

// After the diagnostics: when the verdict came from a recommendation, a line
// saying so; then the findings, at most shownCount of them in detail, grouped
// by grade, each in the order found. Each shown gets its explanation (by
// code) and goes to onShown(section, finding), for its bytes.
export function showFindings(entry, { diagnostics, findings }, { explanations, shownCount, onShown }, texts) {
  const { textElement } = texts;
  const document = entry.ownerDocument;
  const box = document.createElement("div");
  box.className = "findings";
  const firstError = diagnostics.find(({ severity }) => severity === "error");
  if (firstError?.grade === "recommendation") {
    const line = textElement("p", findings.some((f) => f.after_first_error) ? "fromRecommendation" : "fromRecommendationOnly");
    line.className = "from-recommendation";
    box.append(line);
  }
  if (findings.length > 0) {
    box.append(textElement("h4", "findings"), textElement("p", "findingsIntro"));
    const shown = findings.slice(0, shownCount);
    for (const group of findingGroups) {
      const members = shown.filter((finding) => groupOf(finding) === group);
      if (members.length === 0) continue;
      const section = document.createElement("section");
      section.className = "grade";
      section.dataset.grade = group;
      section.append(textElement("h5", `group-${group}`));
      for (const finding of members) {
        const item = diagnosticSection(document, "finding", "h6",
          { diagnostic: finding, explanation: explanations[finding.code], metaType: null }, texts);
        if (finding.after_first_error) item.querySelector("h6").append(" ", afterFirstError(textElement));
        section.append(item);
        onShown(item, finding);
      }
      box.append(section);
    }
    if (shown.length < findings.length) box.append(textElement("p", "moreFindings", { count: findings.length - shown.length }));
  }
  if (box.childElementCount > 0) (entry.querySelector(".diagnostics") ?? entry.querySelector(".output")).after(box);
}

function afterFirstError(textElement) {
  const mark = textElement("em", "afterFirstError");
  mark.className = "after-first-error";
  return mark;
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
