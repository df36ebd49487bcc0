// SPDX-License-Identifier: MIT
#include "scan/sarif_log.h"

#include "quelder/quelder.h"
#include "scan/codes.h"
#include "scan/json.h"
#include "scan/messages.h"

namespace {

const char* levelOf(quelder_severity severity) {
  return severity == QUELDER_SEVERITY_WARNING ? "warning" : "error";
}

// A rule beyond the reference program's is a note by default: it fails a
// file only under --strict.
const char* ruleLevelOf(quelder_severity severity) {
  return severity == QUELDER_SEVERITY_BEYOND_REFERENCE ? "note" : levelOf(severity);
}

void appendText(std::string* out, std::string_view key, std::string_view text) {
  appendJsonKey(out, key);
  *out += "{\"text\":";
  appendJsonString(out, text);
  *out += '}';
}

void appendUri(std::string* out, std::string_view name) {
  *out += "{\"uri\":";
  appendJsonString(out, uriOfName(name));
}

void appendRule(std::string* out, const quelder_code_info& row) {
  *out += '{';
  appendJsonMember(out, "id", row.code, true);
  appendText(out, "shortDescription", row.message);
  appendText(out, "fullDescription", row.explanation);
  appendText(out, "help", row.readers);
  appendJsonKey(out, "defaultConfiguration");
  *out += "{\"level\":";
  appendJsonString(out, ruleLevelOf(row.severity));
  *out += "},\"properties\":{\"severity\":";
  appendJsonString(out, quelder_severity_name(row.severity));
  *out += ",\"grade\":";
  appendJsonString(out, quelder_grade_name(row.grade));
  *out += "}}";
}

void appendList(std::string* out, const std::vector<std::string>& items) {
  *out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) *out += ',';
    *out += items[i];
  }
  *out += ']';
}

}  // namespace

std::string uriOfName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                       byte == '~' || byte == '/';
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri;
}

void SarifLog::appendStart(std::string* out) const {
  *out += "{\"$schema\":\"";
  *out += messages::sarifSchemaUri;
  *out += "\",\"version\":\"2.1.0\",\"runs\":[{\"results\":[";
}

std::size_t SarifLog::artifactIndex(const std::string& key, std::string artifact) {
  const auto [entry, added] = artifactIndexes_.try_emplace(key, artifacts_.size());
  if (added) artifacts_.push_back(std::move(artifact));
  return entry->second;
}

// An archive member is a nested artifact: the member inside the archive.
std::string SarifLog::artifactLocation(const Record& record) {
  std::string location;
  if (!record.inArchive) {
    appendUri(&location, record.path);
    return location + '}';
  }
  std::string archive = "{\"location\":";
  appendUri(&archive, record.path);
  const std::size_t parent = artifactIndex(record.path, archive + "}}");
  std::string member = "{\"location\":";
  appendUri(&member, record.member);
  member += "},\"parentIndex\":" + std::to_string(parent) + '}';
  const std::size_t index = artifactIndex(record.path + '\0' + record.member, std::move(member));
  appendUri(&location, record.member);
  return location + ",\"index\":" + std::to_string(index) + '}';
}

// A finding is a note unless --strict makes it count: code scanning then
// shows it beside the file's diagnostics without calling it an error.
void SarifLog::appendResult(std::string* out, const Record& record, const Diagnostic& finding,
                            std::string_view location) {
  if (!firstResult_) *out += ",\n";
  firstResult_ = false;
  *out += '{';
  appendJsonMember(out, "ruleId", finding.code, true);
  appendJsonMember(out, "ruleIndex", codeIndex(finding.code));
  appendJsonMember(out, "level",
                   finding.beyondReference && !strict_ ? "note" : levelOf(finding.severity));
  std::string message = finding.message;
  if (!record.reason.empty()) message += " (" + record.reason + ")";
  appendText(out, "message", message);
  *out += ",\"locations\":[{\"physicalLocation\":{\"artifactLocation\":";
  *out += location;
  if (finding.offset >= 0) {
    *out += ",\"region\":{\"byteOffset\":";
    appendJsonNumber(out, finding.offset);
    *out += '}';
  }
  *out += "}}]";
  if (finding.suppression == Suppression::baseline) {
    *out += ",\"suppressions\":[{\"kind\":\"external\",\"justification\":\"";
    *out += messages::acceptedByBaseline;
    *out += "\"}]";
  }
  *out += ",\"properties\":{\"grade\":";
  appendJsonString(out, quelder_grade_name(finding.grade));
  *out += ",\"track\":" + std::to_string(finding.track);
  *out += ",\"event\":" + std::to_string(finding.event);
  *out += ",\"tick\":" + std::to_string(finding.tick);
  *out += ",\"afterFirstError\":";
  appendJsonBool(out, finding.afterFirstError);
  *out += ",\"beyondReference\":";
  appendJsonBool(out, finding.beyondReference);
  *out += "}}";
}

void SarifLog::appendRecord(std::string* out, const Record& record) {
  if (record.inputError) {
    std::string notification = "{\"level\":\"error\"";
    appendText(&notification, "message", record.reason);
    notification += ",\"locations\":[{\"physicalLocation\":{\"artifactLocation\":";
    appendUri(&notification, record.path);
    notification += "}}}]";
    if (record.inArchive) {
      notification += ",\"properties\":{\"member\":";
      appendJsonString(&notification, record.member);
      notification += '}';
    }
    notification += '}';
    notifications_.push_back(std::move(notification));
    return;
  }
  std::string location;
  for (const auto* list : {&record.diagnostics, &record.findings}) {
    for (const Diagnostic& diagnostic : *list) {
      if (diagnostic.suppression == Suppression::ignored) continue;
      if (location.empty()) location = artifactLocation(record);
      appendResult(out, record, diagnostic, location);
    }
  }
}

void SarifLog::appendEnd(std::string* out, int exitStatus, bool successful) const {
  *out += "],\"artifacts\":";
  appendList(out, artifacts_);
  *out += ",\"invocations\":[{\"executionSuccessful\":";
  appendJsonBool(out, successful);
  *out += ",\"exitCode\":" + std::to_string(exitStatus);
  *out += ",\"toolExecutionNotifications\":";
  appendList(out, notifications_);
  *out += "}],\"tool\":{\"driver\":{\"name\":\"quelder-scan\",\"version\":\"";
  *out += QUELDER_VERSION;
  *out += "\",\"rules\":[";
  for (std::size_t i = 0; i < quelder_code_count(); ++i) {
    if (i > 0) *out += ',';
    appendRule(out, *quelder_code(i, QUELDER_LANGUAGE_EN));
  }
  *out += "]}}}]}\n";
}
