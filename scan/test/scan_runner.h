// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// One run of the real quelder-scan binary.
struct ScanRun {
  int status = -1;  // the exit status; -1 when it did not exit
  std::string out;
  std::string err;
};

struct ScanInvocation {
  std::vector<std::string> args;
  std::string directory;   // where it runs
  std::string input;       // its standard input
  bool asNobody = false;   // give up root first, when the test runs as root
  std::string outputPath;  // standard output goes to this file instead, when set
  std::vector<std::string> environment = {"LC_ALL=C"};  // its whole environment
};

ScanRun runScanBinary(const ScanInvocation& invocation);
