// SPDX-License-Identifier: MIT
#include <string_view>

#include "scan/record_formats.h"
#include "scan/verdict.h"

namespace {

// A field, quoted when it holds a comma, a quote or a space at either end;
// control bytes are echoed as '?', so that a row is always one line.
void appendField(std::string* out, std::string_view value, bool last = false) {
  std::string printable;
  appendPrintable(&printable, value);
  const bool quote = printable.find_first_of(",\"") != std::string::npos ||
                     (!printable.empty() && (printable.front() == ' ' || printable.back() == ' '));
  if (quote) {
    *out += '"';
    for (const char c : printable) {
      if (c == '"') *out += '"';
      *out += c;
    }
    *out += '"';
  } else {
    *out += printable;
  }
  *out += last ? '\n' : ',';
}

template <typename Number>
void appendNumber(std::string* out, Number value, bool present, bool last = false) {
  appendField(out, present ? std::to_string(value) : std::string(), last);
}

}  // namespace

void appendCsvHeader(std::string* out) {
  *out +=
      "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,event,"
      "tick,message,findings\n";
}

void appendCsvRow(std::string* out, const Record& record) {
  appendField(out, record.path);
  appendField(out, record.inArchive ? std::string_view(record.member) : std::string_view());
  appendField(out, verdictText(verdictOf(record)));
  appendField(out, record.fails ? "true" : "false");
  const bool checked = !record.inputError;
  appendField(out, checked ? (record.conforms ? "true" : "false") : "");
  appendField(out, record.format);
  appendNumber(out, record.size, checked);
  const Diagnostic* shown = checked ? shownDiagnostic(record) : nullptr;
  appendField(out, shown != nullptr ? std::string_view(shown->code) : std::string_view());
  appendField(out, shown != nullptr ? quelder_severity_name(shown->severity) : "");
  appendField(out, shown != nullptr ? quelder_grade_name(shown->grade) : "");
  const bool located = shown != nullptr && shown->offset >= 0;
  appendNumber(out, located ? shown->offset : 0, located);
  const bool inTrack = located && shown->track > 0;
  appendNumber(out, inTrack ? shown->track : 0, inTrack);
  appendNumber(out, inTrack ? shown->event : 0, inTrack);
  appendNumber(out, inTrack ? shown->tick : 0, inTrack);
  std::string message = shown != nullptr ? shown->message : std::string();
  if (!record.reason.empty()) {
    message = message.empty() ? record.reason : message + " (" + record.reason + ")";
  }
  appendField(out, message);
  appendNumber(out, record.findings.size(), checked, true);
}
