// SPDX-License-Identifier: MIT
#include "scan/policy.h"

#include <gtest/gtest.h>

namespace {

Diagnostic diagnostic(const char* code, quelder_severity severity, bool beyond = false) {
  Diagnostic d;
  d.code = code;
  d.severity = severity;
  d.beyondReference = beyond;
  return d;
}

struct PolicyCase {
  const char* label;
  Diagnostic finding;
  bool failOnWarning;
  bool strict;
  const char* ignored;  // a code, or null
  bool inBaseline;      // the baseline accepts the finding's code for this file
  Suppression suppression;
  bool counted;
};

const PolicyCase kCases[] = {
    {"error", diagnostic("track-length", QUELDER_SEVERITY_ERROR), false, false, nullptr, false,
     Suppression::none, true},
    {"file error", diagnostic("open-failed", QUELDER_SEVERITY_FILE_ERROR), false, false, nullptr,
     false, Suppression::none, true},
    {"warning", diagnostic("unknown-chunk", QUELDER_SEVERITY_WARNING), false, false, nullptr, false,
     Suppression::none, false},
    {"warning, --fail-on=warning", diagnostic("unknown-chunk", QUELDER_SEVERITY_WARNING), true,
     false, nullptr, false, Suppression::none, true},
    {"beyond the reference", diagnostic("track-length", QUELDER_SEVERITY_ERROR, true), false, false,
     nullptr, false, Suppression::none, false},
    {"beyond the reference, --strict", diagnostic("track-length", QUELDER_SEVERITY_ERROR, true),
     false, true, nullptr, false, Suppression::none, true},
    {"beyond, a warning, --strict", diagnostic("unknown-chunk", QUELDER_SEVERITY_WARNING, true),
     false, true, nullptr, false, Suppression::none, false},
    {"beyond, a warning, --strict --fail-on=warning",
     diagnostic("unknown-chunk", QUELDER_SEVERITY_WARNING, true), true, true, nullptr, false,
     Suppression::none, true},
    {"a rule beyond the reference's",
     diagnostic("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, true), true, false, nullptr,
     false, Suppression::none, false},
    {"a rule beyond the reference's, --strict",
     diagnostic("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, true), false, true, nullptr,
     false, Suppression::none, true},
    {"a finding accepted by the baseline, --strict",
     diagnostic("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, true), false, true, nullptr,
     true, Suppression::baseline, false},
    {"ignored", diagnostic("track-length", QUELDER_SEVERITY_ERROR), true, true, "track-length",
     false, Suppression::ignored, false},
    {"another code ignored", diagnostic("track-length", QUELDER_SEVERITY_ERROR), false, false,
     "unknown-chunk", false, Suppression::none, true},
    {"accepted by the baseline", diagnostic("track-length", QUELDER_SEVERITY_ERROR), true, true,
     nullptr, true, Suppression::baseline, false},
    {"ignored wins over the baseline", diagnostic("track-length", QUELDER_SEVERITY_ERROR), false,
     false, "track-length", true, Suppression::ignored, false},
};

TEST(Policy, EachFindingIsCountedIgnoredOrAccepted) {
  for (const PolicyCase& c : kCases) {
    Baseline baseline;
    if (c.inBaseline) baseline.add(c.finding.code, "set.zip", "a.mid");
    baseline.add(c.finding.code, "other.mid", "");
    Policy policy;
    policy.failOnWarning = c.failOnWarning;
    policy.strict = c.strict;
    if (c.ignored != nullptr) policy.ignoredCodes.insert(c.ignored);
    policy.baseline = &baseline;
    Record record;
    record.path = "set.zip";
    record.member = "a.mid";
    record.inArchive = true;
    std::vector<Diagnostic>& list =
        c.finding.beyondReference ? record.findings : record.diagnostics;
    list.push_back(c.finding);
    applyPolicy(policy, &record);
    EXPECT_EQ(list[0].suppression, c.suppression) << c.label;
    EXPECT_EQ(list[0].counted, c.counted) << c.label;
    EXPECT_EQ(record.fails, c.counted) << c.label;
  }
}

TEST(Policy, AnInputErrorNeverFailsAsAFile) {
  Record record;
  record.inputError = true;
  record.fails = true;
  applyPolicy(Policy(), &record);
  EXPECT_FALSE(record.fails);
}

}  // namespace
