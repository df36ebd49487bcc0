// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "catalogue/texts.h"
#include "e2e/smf_builder.h"
#include "e2e/variant.h"

// Runs the real quelder binary and captures what it prints.
//
// QUELDER_BINARY (environment) overrides the variant's binary built beside the
// tests,
// QUELDER_RUNNER names a program, with its arguments split at spaces, to run
// it with (Wine, valgrind), and
// QUELDER_EXPECT_CRLF=1 says that its lines end in CR LF, and
// QUELDER_CASE_DUMP=DIR keeps every run on readable files up to 64 MiB, with
// what it printed, in DIR/<pid>-<n>/ for the browser module's tests: test (the
// test's name), names (the arguments, each ended by a NUL), 0.mid, 1.mid, ...
// (their bytes), stdout and stderr.
//
// Under Wine (a runner that names wine), a run in which Wine itself failed
// and the program never ran is run again, up to four times in all; each
// retry prints a "[WINE RETRY]" line into the test log.

struct RunResult {
  std::string out;      // standard output
  std::string err;      // standard error
  int exitStatus = -1;  // -1 when it did not exit normally
};

RunResult runQuelder(const std::vector<std::string>& args);
// Standard output and standard error sent to one pipe, as with 2>&1.
std::string runQuelderMerged(const std::vector<std::string>& args);

// A temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes bytes to a file of that name in the directory; returns its path.
  std::string write(const std::string& name, const Bytes& bytes) const;

 private:
  std::string path_;
};

// Expected text, rendered through the catalogue of the program under test
// (e2e/variant.h): the bytes it prints for one text with these arguments,
// every line feed written as the line ending in force.
std::string formatLines(const char* format, ...);
template <typename... Args>
std::string line(const Format<Args...>& format, std::type_identity_t<Args>... args) {
  return formatLines(format.text, args...);
}
// The diagnostic line of code: its form (error or warning at the offset, or
// file error), its message and a line feed, with the offset (not for a file
// error) and the message's values, names as strings.
std::string diagnosticFormat(Code code);
inline const char* printfValue(const Name& name) { return name.text; }
template <typename Value>
Value printfValue(Value value) {
  static_assert(std::is_arithmetic_v<Value> || std::is_same_v<Value, const char*>);
  return value;
}
template <typename... Values>
std::string line(Code code, Values... values) {
  return formatLines(diagnosticFormat(code).c_str(), printfValue(values)...);
}
// The line of a meta event whose data length is not the one its type requires.
std::string line(const LengthMessage& message, int offset, const char* name);
std::string lineEnd();
std::string progressLine(const std::string& name);
std::string verdictLine(const std::string& name, bool conforms);

// Checks one image as a file named name and expects exactly these
// diagnostics and verdict, and exit status 0.
void expectCheck(const Bytes& image, const std::string& diagnostics, bool conforms,
                 const std::string& name = "test.mid");

// One row of a table of checks.
struct CheckCase {
  std::string name;
  Bytes image;
  std::string diagnostics;
  bool conforms;
};

// expectCheck for every row, each traced by its name.
void expectCases(const std::vector<CheckCase>& cases);
