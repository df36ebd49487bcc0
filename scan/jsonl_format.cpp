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
  appendJsonMember(out, "code", diagnostic.code, true);
  appendJsonMember(out, "severity", quelder_severity_name(diagnostic.severity));
  appendJsonKey(out, "grade");
  if (diagnostic.grade == QUELDER_GRADE_NONE) {
    *out += "null";
  } else {
    appendJsonString(out, quelder_grade_name(diagnostic.grade));
  }
  appendJsonMember(out, "offset", diagnostic.offset);
  appendJsonMember(out, "track", diagnostic.track);
  appendJsonMember(out, "event", diagnostic.event);
  appendJsonMember(out, "tick", diagnostic.tick);
  appendJsonMember(out, "event_offset", diagnostic.eventOffset);
  appendJsonMember(out, "message", diagnostic.message);
  if (finding) appendJsonMember(out, "after_first_error", diagnostic.afterFirstError);
  if (diagnostic.suppression != Suppression::none) {
    appendJsonMember(out, "suppressed",
                     diagnostic.suppression == Suppression::ignored ? "ignored" : "baseline");
  }
  appendJsonMember(out, "counted", diagnostic.counted);
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
    appendJsonMember(out, "error", record.reason);
    *out += "}\n";
    return;
  }
  appendJsonMember(out, "size", record.size);
  appendJsonMember(out, "conforms", record.conforms);
  appendJsonMember(out, "format", record.format);
  appendJsonMember(out, "fails", record.fails);
  appendJsonMember(out, "readable", !record.unreadable);
  if (!record.reason.empty()) appendJsonMember(out, "reason", record.reason);
  appendDiagnostics(out, "diagnostics", record.diagnostics, false);
  appendDiagnostics(out, "findings", record.findings, true);
  *out += "}\n";
}
