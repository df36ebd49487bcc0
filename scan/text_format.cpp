// SPDX-License-Identifier: MIT
#include <cstdio>

#include "scan/messages.h"
#include "scan/record_formats.h"
#include "scan/verdict.h"

namespace {

const char* colourOf(Verdict verdict) {
  switch (verdict) {
    case Verdict::conforms: return "\033[32m";
    case Verdict::conformsWithWarnings: return "\033[33m";
    case Verdict::doesNotConform:
    case Verdict::unreadable: break;
  }
  return "\033[1;31m";
}

// " at 60 (track 2, event 1, tick 0)", shorter outside a track, nothing
// for a file error.
void appendLocation(std::string* out, const Diagnostic& diagnostic) {
  if (diagnostic.offset < 0) return;
  char location[128];
  if (diagnostic.track == 0) {
    std::snprintf(location, sizeof location, " at %lld", static_cast<long long>(diagnostic.offset));
  } else {
    std::snprintf(location, sizeof location, " at %lld (track %u, event %u, tick %llu)",
                  static_cast<long long>(diagnostic.offset), diagnostic.track, diagnostic.event,
                  static_cast<unsigned long long>(diagnostic.tick));
  }
  *out += location;
}

void appendDiagnostic(std::string* out, const Diagnostic& diagnostic) {
  *out += ": ";
  *out += diagnostic.code;
  if (diagnostic.suppression == Suppression::baseline) *out += messages::acceptedMark;
  appendLocation(out, diagnostic);
  *out += ": ";
  appendPrintable(out, diagnostic.message);
}

}  // namespace

void appendTextLine(std::string* out, const Record& record, bool colour) {
  const Verdict verdict = verdictOf(record);
  *out += displayName(record);
  *out += ": ";
  if (colour) *out += colourOf(verdict);
  *out += verdictText(verdict);
  if (colour) *out += "\033[0m";
  const Diagnostic* shown = record.inputError ? nullptr : shownDiagnostic(record);
  if (shown != nullptr) appendDiagnostic(out, *shown);
  if (!record.reason.empty()) {
    *out += record.inputError ? ": " : " (";
    appendPrintable(out, record.reason);
    if (!record.inputError) *out += ')';
  }
  if (const std::size_t others = otherFindingCount(record, shown); others > 0) {
    char more[64];
    std::snprintf(more, sizeof more, messages::moreFindings, others);
    *out += more;
  }
  *out += '\n';
}
