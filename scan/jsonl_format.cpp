// SPDX-License-Identifier: MIT
#include "scan/json.h"
#include "scan/record_formats.h"

namespace {

// A name as a string; when JSON cannot hold its bytes, its exact bytes too.
void appendName(std::string* out, std::string_view key, std::string_view name) {
  appendJsonKey(out, key, key == "path");
  if (appendJsonString(out, name)) return;
  appendJsonKey(out, std::string(key) + "_base64");
  *out += '"';
  *out += base64(name);
  *out += '"';
}

void appendDiagnostic(std::string* out, const Diagnostic& diagnostic, bool finding) {
  *out += '{';
  appendJsonKey(out, "code", true);
  appendJsonString(out, diagnostic.code);
  appendJsonKey(out, "severity");
  appendJsonString(out, quelder_severity_name(diagnostic.severity));
  appendJsonKey(out, "grade");
  if (diagnostic.grade == QUELDER_GRADE_NONE) {
    *out += "null";
  } else {
    appendJsonString(out, quelder_grade_name(diagnostic.grade));
  }
  appendJsonKey(out, "offset");
  appendJsonNumber(out, diagnostic.offset);
  appendJsonKey(out, "track");
  appendJsonUnsigned(out, diagnostic.track);
  appendJsonKey(out, "event");
  appendJsonUnsigned(out, diagnostic.event);
  appendJsonKey(out, "tick");
  appendJsonUnsigned(out, diagnostic.tick);
  appendJsonKey(out, "event_offset");
  appendJsonNumber(out, diagnostic.eventOffset);
  appendJsonKey(out, "message");
  appendJsonString(out, diagnostic.message);
  if (finding) {
    appendJsonKey(out, "after_first_error");
    appendJsonBool(out, diagnostic.afterFirstError);
  }
  if (diagnostic.suppression != Suppression::none) {
    appendJsonKey(out, "suppressed");
    appendJsonString(out, diagnostic.suppression == Suppression::ignored ? "ignored" : "baseline");
  }
  appendJsonKey(out, "counted");
  appendJsonBool(out, diagnostic.counted);
  *out += '}';
}

void appendDiagnostics(std::string* out, std::string_view key, const std::vector<Diagnostic>& list,
                       bool findings) {
  appendJsonKey(out, key);
  *out += '[';
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) *out += ',';
    appendDiagnostic(out, list[i], findings);
  }
  *out += ']';
}

}  // namespace

void appendJsonLine(std::string* out, const Record& record) {
  *out += '{';
  appendName(out, "path", record.path);
  if (record.inArchive) appendName(out, "member", record.member);
  if (record.inputError) {
    appendJsonKey(out, "error");
    appendJsonString(out, record.reason);
    *out += "}\n";
    return;
  }
  appendJsonKey(out, "size");
  appendJsonUnsigned(out, record.size);
  appendJsonKey(out, "conforms");
  appendJsonBool(out, record.conforms);
  appendJsonKey(out, "format");
  appendJsonString(out, record.format);
  appendJsonKey(out, "fails");
  appendJsonBool(out, record.fails);
  appendJsonKey(out, "readable");
  appendJsonBool(out, !record.unreadable);
  if (!record.reason.empty()) {
    appendJsonKey(out, "reason");
    appendJsonString(out, record.reason);
  }
  appendDiagnostics(out, "diagnostics", record.diagnostics, false);
  appendDiagnostics(out, "findings", record.findings, true);
  *out += "}\n";
}
