// SPDX-License-Identifier: MIT
#include "scan/summary.h"

#include <cstdio>

#include "scan/messages.h"
#include "scan/verdict.h"

namespace {

void appendRow(std::string* out, const char* label, std::uint64_t count) {
  char row[128];
  std::snprintf(row, sizeof row, "%-34s %10llu\n", label, static_cast<unsigned long long>(count));
  *out += row;
}

}  // namespace

void Summary::add(const Record& record) {
  if (record.inputError) {
    ++inputErrors_;
    return;
  }
  ++files_;
  switch (verdictOf(record)) {
    case Verdict::conforms: ++conform_; break;
    case Verdict::conformsWithWarnings: ++conformWithWarnings_; break;
    case Verdict::doesNotConform: ++doNotConform_; break;
    case Verdict::unreadable: ++unreadable_; break;
  }
  if (record.fails) ++failing_;
  for (const auto* list : {&record.diagnostics, &record.findings}) {
    for (const Diagnostic& diagnostic : *list) {
      if (diagnostic.suppression == Suppression::ignored) continue;
      ++grades_[diagnostic.grade];
      CodeCount& count = codes_[diagnostic.code];
      ++(diagnostic.beyondReference ? count.beyond : count.reference);
    }
  }
}

void Summary::appendText(std::string* out) const {
  *out += messages::summaryTitle;
  appendRow(out, messages::summaryFiles, files_);
  appendRow(out, messages::summaryConform, conform_);
  appendRow(out, messages::summaryConformWithWarnings, conformWithWarnings_);
  appendRow(out, messages::summaryDoNotConform, doNotConform_);
  appendRow(out, messages::summaryUnreadable, unreadable_);
  appendRow(out, messages::summaryInputErrors, inputErrors_);
  appendRow(out, messages::summaryFailing, failing_);
  *out += messages::summaryGrades;
  for (int grade = QUELDER_GRADE_STRUCTURE; grade <= QUELDER_GRADE_RECOMMENDATION; ++grade) {
    appendRow(out,
              (std::string("  ") + quelder_grade_name(static_cast<quelder_grade>(grade))).c_str(),
              grades_[grade]);
  }
  appendRow(out, messages::summaryNoGrade, grades_[QUELDER_GRADE_NONE]);
  *out += messages::summaryCodes;
  for (const auto& [code, count] : codes_) {
    char row[160];
    std::snprintf(row, sizeof row, "  %-32s %10llu %10llu\n", code.c_str(),
                  static_cast<unsigned long long>(count.reference),
                  static_cast<unsigned long long>(count.beyond));
    *out += row;
  }
}
