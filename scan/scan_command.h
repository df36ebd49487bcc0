// SPDX-License-Identifier: MIT
#pragma once

#include "scan/options.h"

// Exit statuses: every file conforms; a file fails; a usage error or an
// input that could not be read.
inline constexpr int kAllConform = 0;
inline constexpr int kSomeFail = 1;
inline constexpr int kTroubleStatus = 2;

// Runs the scan the options ask for: records to standard output, messages
// and progress to standard error. Returns the exit status.
int runScan(const ScanOptions& options);
