// SPDX-License-Identifier: MIT
// The summary: one row per file (a record of scan_records.mjs, plus the
// row's own state), with its name, verdict (and format, for a file that is
// not an SMF), first diagnostic and where that is. The rows can be sorted by a column and filtered; a row's name is a
// button that opens the file's details. Rows are made once and updated in
// place as results come in, so that ten thousand of them stay cheap: sorting
// moves them, filtering hides them.

// Imports nothing (see file_details.mjs): scan is the module
// scan_records.mjs, and location the locationElement of file_details.mjs
// with its texts bound.

const collator = new Intl.Collator("en", { numeric: true });

// How each column orders records: a list of keys, compared in turn; a record
// not yet checked goes last.
const sortKeys = ({ shownDiagnostic, verdictOf, verdicts }) => ({
  name: (record) => [record.path],
  verdict: (record) => [verdicts.indexOf(verdictOf(record)), record.path],
  code: (record) => [shownDiagnostic(record)?.code ?? "\u{10ffff}", record.path],
  location: (record) => {
    const shown = shownDiagnostic(record);
    return [shown?.offset ?? Infinity, record.path];
  },
});

function compareKeys(a, b) {
  for (let i = 0; i < a.length; i++) {
    const order = typeof a[i] === "string" ? collator.compare(a[i], b[i]) : a[i] - b[i];
    if (order !== 0) return order;
  }
  return 0;
}

// A comparison of records by column, ascending or not.
export function recordOrder(scan, column, ascending) {
  const key = sortKeys(scan)[column];
  return (a, b) => {
    if (!a.checked || !b.checked) return Number(!a.checked) - Number(!b.checked);
    const order = compareKeys(key(a), key(b));
    return ascending ? order : -order;
  };
}

// Whether a record passes the filter: show is "all", "problems" (does not
// conform or cannot be read) or "diagnostics" (any diagnostic at all); text,
// if any, is found in its path or among its codes, case aside.
export function passesFilter(scan, record, { show, text }) {
  if (record.checked) {
    const verdict = scan.verdictOf(record);
    if (show === "problems" && !["does not conform", "cannot be read"].includes(verdict)) return false;
    if (show === "diagnostics" && verdict === "conforms") return false;
  }
  const wanted = text.trim().toLowerCase();
  if (wanted === "") return true;
  return record.path.toLowerCase().includes(wanted) ||
    record.diagnostics.some(({ code }) => code.includes(wanted));
}

const verdictKeys = {
  "does not conform": "doesNotConform",
  "cannot be read": "cannotBeRead",
  "conforms, with warnings": "conformsWithWarnings",
  conforms: "conforms",
};
const verdictClasses = {
  "does not conform": "does-not-conform",
  "cannot be read": "failure",
  "conforms, with warnings": "conforms with-warnings",
  conforms: "conforms",
};

// The table's body, rows and state. textElement makes a text in the page's
// language (page_texts.mjs); onOpen(record) is called when a row's button is
// pressed.
export function createSummaryTable(table, { scan, location, textElement, onOpen }) {
  const { shownDiagnostic, verdictOf } = scan;
  const document = table.ownerDocument;
  const body = table.tBodies[0];
  const rows = new Map();  // record -> tr
  let order = { column: null, ascending: true };
  let filter = { show: "all", text: "" };

  const cell = (...content) => {
    const td = document.createElement("td");
    td.append(...content);
    return td;
  };

  function render(record) {
    const row = rows.get(record);
    const button = document.createElement("button");
    button.type = "button";
    button.className = "open";
    button.textContent = record.path;
    button.addEventListener("click", () => onOpen(record));
    row.replaceChildren(cell(button), cell(verdictElement(record), ...formatNote(record)), ...diagnosticCells(record));
    row.hidden = !passesFilter(scan, record, filter);
  }

  function verdictElement(record) {
    if (!record.checked) return textElement("span", "waiting");
    const verdict = verdictOf(record);
    const element = textElement("span", verdictKeys[verdict]);
    element.className = `verdict ${verdictClasses[verdict]}`;
    return element;
  }

  // The format's name after the verdict, for a file checked that is not an SMF.
  function formatNote(record) {
    if (!record.checked || record.format === "smf") return [];
    const format = document.createElement("span");
    format.className = "format";
    format.textContent = record.format;
    return [" ", format];
  }

  function diagnosticCells(record) {
    const shown = record.checked ? shownDiagnostic(record) : null;
    if (shown === null) return [cell(), cell()];
    const code = document.createElement("code");
    code.textContent = shown.code;
    const message = document.createElement("span");
    message.className = "message";
    message.textContent = shown.message;
    message.lang = record.language;
    return [cell(code, " ", message), cell(location(shown))];
  }

  return {
    // Rows for new records (not yet checked), after those there are.
    add(records) {
      const fragment = document.createDocumentFragment();
      for (const record of records) {
        const row = document.createElement("tr");
        rows.set(record, row);
        render(record);
        fragment.append(row);
      }
      body.append(fragment);
    },
    // The record's row, shown anew from it.
    update(record) {
      if (rows.has(record)) render(record);
    },
    // Orders the rows by column; the same column again reverses the order.
    sortBy(column) {
      order = { column, ascending: order.column === column ? !order.ascending : true };
      this.resort();
      for (const header of table.tHead.querySelectorAll("th[data-column]")) {
        const sorted = header.dataset.column === column;
        header.setAttribute("aria-sort", sorted ? (order.ascending ? "ascending" : "descending") : "none");
      }
    },
    // Orders the rows again, for results that came in since.
    resort() {
      if (order.column === null) return;
      const sorted = [...rows.keys()].sort(recordOrder(scan, order.column, order.ascending));
      body.append(...sorted.map((record) => rows.get(record)));
    },
    filter(newFilter) {
      filter = newFilter;
      for (const [record, row] of rows) row.hidden = !passesFilter(scan, record, filter);
    },
    // The records of the rows shown, in their order.
    shownRecords() {
      const records = new Map([...rows].map(([record, row]) => [row, record]));
      return [...body.rows].filter((row) => !row.hidden).map((row) => records.get(row));
    },
    clear() {
      rows.clear();
      body.replaceChildren();
    },
  };
}
