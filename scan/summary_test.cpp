// SPDX-License-Identifier: MIT
#include "scan/summary.h"

#include <gtest/gtest.h>

namespace {

Diagnostic finding(const char* code, quelder_severity severity, quelder_grade grade,
                   bool beyond = false, Suppression suppression = Suppression::none) {
  Diagnostic d;
  d.code = code;
  d.severity = severity;
  d.grade = grade;
  d.beyondReference = beyond;
  d.suppression = suppression;
  return d;
}

TEST(Summary, TotalsByVerdictGradeAndCode) {
  Summary summary;
  Record conforming;
  conforming.conforms = true;
  summary.add(conforming);
  Record warned = conforming;
  warned.diagnostics = {finding("unknown-chunk", QUELDER_SEVERITY_WARNING, QUELDER_GRADE_NONE)};
  summary.add(warned);
  Record failing;
  failing.fails = true;
  failing.diagnostics = {finding("unknown-chunk", QUELDER_SEVERITY_WARNING, QUELDER_GRADE_NONE,
                                 false, Suppression::ignored),
                         finding("track-length", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_STRUCTURE)};
  failing.findings = {
      finding("key-signature-mode", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_CONTENT, true),
      finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, QUELDER_GRADE_STRUCTURE,
              true)};
  summary.add(failing);
  Record unreadable;
  unreadable.unreadable = true;
  unreadable.fails = true;
  summary.add(unreadable);
  Record inputError;
  inputError.inputError = true;
  summary.add(inputError);

  EXPECT_EQ(summary.failing(), 2u);
  EXPECT_EQ(summary.unreadable(), 2u);
  std::string text;
  summary.appendText(&text);
  EXPECT_EQ(text,
            "Summary:\n"
            "  files checked                             4\n"
            "  conform                                   1\n"
            "  conform, with warnings                    1\n"
            "  do not conform                            1\n"
            "  cannot be read                            1\n"
            "  inputs that cannot be read                1\n"
            "  fail (exit status)                        2\n"
            "Findings by grade:\n"
            "  structure                                 2\n"
            "  content                                   1\n"
            "  recommendation                            0\n"
            "  (warnings, file errors)                   1\n"
            "Findings by code (reference, beyond):\n"
            "  channel-data-byte                         0          1\n"
            "  key-signature-mode                        0          1\n"
            "  track-length                              1          0\n"
            "  unknown-chunk                             1          0\n");
}

}  // namespace
