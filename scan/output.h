// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>

#include "scan/options.h"
#include "scan/record.h"
#include "scan/sarif_log.h"

// Writes the records of a run to one stream in the chosen format, buffered
// unless the stream is interactive (a terminal), where each line is shown
// as it comes.
class Output {
 public:
  Output(const ScanOptions& options, std::FILE* stream, bool colour, bool interactive);

  void start();
  void write(const Record& record);
  // Ends the output (a SARIF log needs its end) and flushes it.
  void finish(int exitStatus, bool successful);
  // Writes text as it is, after the records (the summary of a text run).
  void writeText(const std::string& text);

  // True when some of the output could not be written.
  bool failed() const { return failed_; }

 private:
  void flush(bool always);

  OutputFormat format_;
  bool quiet_;
  bool colour_;
  bool interactive_;
  std::FILE* stream_;
  SarifLog sarif_;
  std::string buffer_;
  bool failed_ = false;
};
