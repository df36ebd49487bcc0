// SPDX-License-Identifier: MIT
#pragma once

#include "app/report.h"

// The frame of one file's check, the same for every front end: the progress
// line, the check with whatever diagnostics it prints, the verdict line. The
// name is echoed as PrintableName shows it.

void printProgress(const char* printableName);
void printVerdict(const char* printableName, bool conforms);

// Runs check() between name's progress and verdict lines; returns its verdict.
template <typename Check>
bool checkBetweenLines(const char* name, Check check) {
  const PrintableName printable(name);
  printProgress(printable.text());
  const bool conforms = check();
  printVerdict(printable.text(), conforms);
  return conforms;
}
