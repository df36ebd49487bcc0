// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scan/record.h"

// A SARIF 2.1.0 log of one run, written as the records come: the results
// first, then what is only known at the end (the archives' members as nested
// artifacts, the inputs that could not be read as notifications, the tool
// with one rule per code of the library). A file is a result per diagnostic
// and per finding not ignored, the findings after the diagnostics; its region
// is the byte offset.
class SarifLog {
 public:
  explicit SarifLog(bool strict) : strict_(strict) {}

  void appendStart(std::string* out) const;
  void appendRecord(std::string* out, const Record& record);
  // successful: every input could be read (the exit status is not 2).
  void appendEnd(std::string* out, int exitStatus, bool successful) const;

 private:
  void appendResult(std::string* out, const Record& record, const Diagnostic& finding,
                    std::string_view location);
  std::string artifactLocation(const Record& record);
  std::size_t artifactIndex(const std::string& key, std::string artifact);

  bool strict_;
  bool firstResult_ = true;
  std::vector<std::string> artifacts_;                            // each one JSON object, each once
  std::unordered_map<std::string, std::size_t> artifactIndexes_;  // archive, or archive NUL member
  std::vector<std::string> notifications_;
};

// A path or member name as a URI reference: every byte but the unreserved
// characters and '/' percent-encoded.
std::string uriOfName(std::string_view name);
