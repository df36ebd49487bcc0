// SPDX-License-Identifier: MIT
#include "scan/verdict.h"

#include "scan/messages.h"

namespace {

bool isShown(const Diagnostic& diagnostic) {
  return diagnostic.suppression != Suppression::ignored;
}

const Diagnostic* firstCounted(const std::vector<Diagnostic>& list) {
  for (const Diagnostic& diagnostic : list) {
    if (diagnostic.counted) return &diagnostic;
  }
  return nullptr;
}

}  // namespace

Verdict verdictOf(const Record& record) {
  if (record.inputError || record.unreadable) return Verdict::unreadable;
  if (!record.conforms) return Verdict::doesNotConform;
  for (const Diagnostic& diagnostic : record.diagnostics) {
    if (isShown(diagnostic) && diagnostic.severity == QUELDER_SEVERITY_WARNING) {
      return Verdict::conformsWithWarnings;
    }
  }
  return Verdict::conforms;
}

const char* verdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::conforms: return messages::verdictConforms;
    case Verdict::conformsWithWarnings: return messages::verdictConformsWithWarnings;
    case Verdict::doesNotConform: return messages::verdictDoesNotConform;
    case Verdict::unreadable: break;
  }
  return messages::verdictUnreadable;
}

const Diagnostic* shownDiagnostic(const Record& record) {
  if (const Diagnostic* counted = firstCounted(record.diagnostics)) return counted;
  if (const Diagnostic* counted = firstCounted(record.findings)) return counted;
  for (const Diagnostic& diagnostic : record.diagnostics) {
    if (isShown(diagnostic)) return &diagnostic;
  }
  return nullptr;
}

std::size_t otherFindingCount(const Record& record, const Diagnostic* shown) {
  std::size_t count = 0;
  for (const auto* list : {&record.diagnostics, &record.findings}) {
    for (const Diagnostic& diagnostic : *list) count += isShown(diagnostic) ? 1 : 0;
  }
  return shown != nullptr && count > 0 ? count - 1 : count;
}

void appendPrintable(std::string* out, std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    *out += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
}

std::string displayName(const Record& record) {
  std::string name;
  appendPrintable(&name, record.path);
  if (record.inArchive) {
    name += "::";
    appendPrintable(&name, record.member);
  }
  return name;
}
