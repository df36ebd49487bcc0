// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_set>

#include "scan/baseline.h"
#include "scan/record.h"

// Which diagnostics make a file fail, and so the exit status.
struct Policy {
  bool failOnWarning = false;  // warnings count as well as errors and file errors
  bool strict = false;         // findings count too (their warnings only with failOnWarning)
  std::unordered_set<std::string> ignoredCodes;
  const Baseline* baseline = nullptr;  // accepted findings, or none
};

// Marks each diagnostic and finding of a file's record as ignored, accepted
// by the baseline or counted, and sets record->fails when one is counted.
void applyPolicy(const Policy& policy, Record* record);
