// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class OutputFormat { text, jsonl, csv, sarif };
enum class ColorChoice { automatic, always, never };

struct ScanOptions {
  std::vector<std::string> inputs;  // files, directories, archives, "-"
  OutputFormat format = OutputFormat::text;
  unsigned jobs = 0;  // 0: one per core
  bool nullSeparated = false;
  bool followSymlinks = false;
  bool allFiles = false;
  bool summary = false;
  bool quiet = false;
  bool failOnWarning = false;
  bool strict = false;
  bool progress = true;
  ColorChoice color = ColorChoice::automatic;
  std::uint64_t maxSize = 256 * 1024 * 1024;
  std::vector<std::string> ignoredCodes;
  std::string baselinePath;
  std::string writeBaselinePath;
};

enum class ParseOutcome { run, help, version, usageError };

// Parses the command line (GNU style: long options, --name=value or
// --name value, options and inputs in any order, "--" ends the options).
// usageError sets *error to what is wrong, for a one-line message.
ParseOutcome parseOptions(int argc, char** argv, ScanOptions* options, std::string* error);

// The largest --max-size: the largest file the library checks.
constexpr std::uint64_t kLargestMaxSize = 0xFFFFFFFDu;
