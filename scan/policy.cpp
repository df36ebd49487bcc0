// SPDX-License-Identifier: MIT
#include "scan/policy.h"

namespace {

bool severityCounts(const Policy& policy, quelder_severity severity) {
  return severity != QUELDER_SEVERITY_WARNING || policy.failOnWarning;
}

void mark(const Policy& policy, const Record& record, Diagnostic* diagnostic) {
  if (policy.ignoredCodes.contains(diagnostic->code)) {
    diagnostic->suppression = Suppression::ignored;
  } else if (policy.baseline != nullptr &&
             policy.baseline->accepts(diagnostic->code, record.path, record.member)) {
    diagnostic->suppression = Suppression::baseline;
  }
  diagnostic->counted = diagnostic->suppression == Suppression::none &&
                        severityCounts(policy, diagnostic->severity) &&
                        (!diagnostic->beyondReference || policy.strict);
}

}  // namespace

void applyPolicy(const Policy& policy, Record* record) {
  record->fails = false;
  if (record->inputError) return;
  for (auto* list : {&record->diagnostics, &record->findings}) {
    for (Diagnostic& diagnostic : *list) {
      mark(policy, *record, &diagnostic);
      record->fails = record->fails || diagnostic.counted;
    }
  }
}
