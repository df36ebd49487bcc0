// SPDX-License-Identifier: MIT
// The page's results as the collection program (quelder-scan) records them,
// for the summary table and for export: one record per file,
//   { path, size, readable, reason, conforms, format, diagnostics, findings }
// readable false (reason saying why) for a file the page could not read or
// check; format, diagnostics and findings as the module gives them
// (quelder.mjs): its findings are only what the diagnostics do not say.
// jsonLine and csvRow write a record in quelder-scan's JSON Lines (its schema,
// scan/schema/quelder-scan-v2.schema.json) and CSV, under its default
// options: errors and file errors count, warnings and findings do not,
// nothing is ignored.

// What a one-line report says of a record, quelder-scan's words.
export const verdicts = ["does not conform", "cannot be read", "conforms, with warnings", "conforms"];

export function verdictOf({ readable, conforms, diagnostics }) {
  if (!readable) return "cannot be read";
  if (!conforms) return "does not conform";
  return diagnostics.some(({ severity }) => severity === "warning") ? "conforms, with warnings" : "conforms";
}

// Only a diagnostic counts: a finding counts only under --strict.
const counts = ({ severity }) => severity !== "warning";

const findingsOf = (record) => record.findings ?? [];

// The diagnostic a one-line report shows: the first that counts, else the
// first; null when there is none.
export function shownDiagnostic(record) {
  return record.diagnostics.find(counts) ?? record.diagnostics[0] ?? null;
}

// The fields a diagnostic and a finding share, in the schema's terms: no
// nulls but grade's, -1 and 0 for "no offset" and "outside a track".
function fieldsOf(diagnostic) {
  const { code, severity, grade, offset, track, event, tick, event_offset: eventOffset, message } = diagnostic;
  return {
    code,
    severity,
    grade: grade === "" ? null : grade,
    offset: offset ?? -1,
    track: track ?? 0,
    event: event ?? 0,
    tick: tick ?? 0,
    event_offset: eventOffset ?? -1,
    message,
  };
}

// In the order of quelder-scan's fields.
const diagnosticRecord = (diagnostic) => ({ ...fieldsOf(diagnostic), counted: counts(diagnostic) });
const findingRecord = (finding) => ({
  ...fieldsOf(finding),
  after_first_error: finding.after_first_error,
  counted: false,
});

const failsOf = (record) => record.diagnostics.some(counts);

// The record as one line of JSON, with its line feed.
export function jsonLine(record) {
  const line = {
    path: record.path,
    size: record.size,
    conforms: record.conforms,
    format: record.format,
    fails: failsOf(record),
    readable: record.readable,
    ...(record.readable ? {} : { reason: record.reason }),
    diagnostics: record.diagnostics.map(diagnosticRecord),
    findings: findingsOf(record).map(findingRecord),
  };
  return `${JSON.stringify(line)}\n`;
}

export const csvHeader =
  "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,event,tick,message,findings\n";

// A field quoted when it holds a comma, a quote or a space at either end;
// control characters as '?', so that a row is always one line.
function csvField(value) {
  const printable = String(value ?? "").replace(/[\x00-\x1f\x7f]/g, "?");
  return /[,"]|^ | $/.test(printable) ? `"${printable.replaceAll('"', '""')}"` : printable;
}

// The record as one row of CSV, with its line feed; the member column stays
// empty (the page opens no archives).
export function csvRow(record) {
  const shown = shownDiagnostic(record);
  const reason = record.readable ? "" : record.reason;
  const message = shown && reason ? `${shown.message} (${reason})` : (shown?.message ?? reason);
  return `${[
    record.path, "", verdictOf(record), failsOf(record), record.conforms, record.format, record.size,
    shown?.code, shown?.severity, shown?.grade, shown?.offset, shown?.track, shown?.event, shown?.tick,
    message, findingsOf(record).length,
  ].map(csvField).join(",")}\n`;
}
