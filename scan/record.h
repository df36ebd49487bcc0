// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quelder/quelder.h"

// What a run reports about one input, copied out of the library's result so
// that it outlives it and can wait for its turn to be written.

enum class Suppression {
  none,
  ignored,  // --ignore: left out of every output and of the exit status
  baseline  // accepted by the baseline: shown as accepted, not counted
};

struct Diagnostic {
  std::string code;
  quelder_severity severity = QUELDER_SEVERITY_ERROR;
  quelder_grade grade = QUELDER_GRADE_NONE;
  std::int64_t offset = -1;
  std::uint32_t track = 0;
  std::uint32_t event = 0;
  std::uint64_t tick = 0;
  std::int64_t eventOffset = -1;
  bool afterFirstError = false;
  // A finding: the reference program does not print it (past its first
  // error, or under a rule beyond its own), so it counts only under --strict.
  bool beyondReference = false;
  std::string message;
  Suppression suppression = Suppression::none;
  bool counted = false;  // makes the file fail, under the options of the run
};

struct Record {
  std::string path;    // as given or as found by the walk
  std::string member;  // the member's name when the file is in an archive
  bool inArchive = false;
  // An input that could not be read as a whole (a directory, an archive, an
  // empty line of a path list): reason says why, and nothing below is set.
  bool inputError = false;
  std::string reason;  // why the input or the file could not be read
  bool conforms = false;
  std::string format;
  std::uint64_t size = 0;
  std::vector<Diagnostic> diagnostics;  // exactly the reference program's
  std::vector<Diagnostic> findings;     // the library's additions, in its order
  // The file could not be opened, sized or read (not: too large); with
  // inputError, what makes the exit status 2.
  bool unreadable = false;
  bool fails = false;  // some diagnostic or finding is counted
};
