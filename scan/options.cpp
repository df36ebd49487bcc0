// SPDX-License-Identifier: MIT
#include "scan/options.h"

#include <getopt.h>

#include <charconv>
#include <cstring>
#include <string_view>

#include "scan/codes.h"
#include "scan/messages.h"

namespace {

// Long options with no short form take values above any character.
enum LongOnly {
  kSummary = 256,
  kFailOn,
  kStrict,
  kIgnore,
  kBaseline,
  kWriteBaseline,
  kColor,
  kNoProgress,
  kMaxSize,
  kAllFiles
};

const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                           {"version", no_argument, nullptr, 'V'},
                           {"jobs", required_argument, nullptr, 'j'},
                           {"format", required_argument, nullptr, 'f'},
                           {"null", no_argument, nullptr, '0'},
                           {"follow-symlinks", no_argument, nullptr, 'L'},
                           {"quiet", no_argument, nullptr, 'q'},
                           {"all-files", no_argument, nullptr, kAllFiles},
                           {"summary", no_argument, nullptr, kSummary},
                           {"fail-on", required_argument, nullptr, kFailOn},
                           {"strict", no_argument, nullptr, kStrict},
                           {"ignore", required_argument, nullptr, kIgnore},
                           {"baseline", required_argument, nullptr, kBaseline},
                           {"write-baseline", required_argument, nullptr, kWriteBaseline},
                           {"color", required_argument, nullptr, kColor},
                           {"colour", required_argument, nullptr, kColor},
                           {"no-progress", no_argument, nullptr, kNoProgress},
                           {"max-size", required_argument, nullptr, kMaxSize},
                           {nullptr, 0, nullptr, 0}};

// '+' would stop at the first input; GNU order lets options follow inputs.
// The leading ':' makes getopt report a missing value as ':'.
constexpr const char* kShortOptions = ":hVj:f:0Lq";

bool parseFormat(std::string_view value, OutputFormat* format) {
  if (value == "text")
    *format = OutputFormat::text;
  else if (value == "jsonl")
    *format = OutputFormat::jsonl;
  else if (value == "csv")
    *format = OutputFormat::csv;
  else if (value == "sarif")
    *format = OutputFormat::sarif;
  else
    return false;
  return true;
}

bool parseColor(std::string_view value, ColorChoice* color) {
  if (value == "auto")
    *color = ColorChoice::automatic;
  else if (value == "always")
    *color = ColorChoice::always;
  else if (value == "never")
    *color = ColorChoice::never;
  else
    return false;
  return true;
}

bool parseFailOn(std::string_view value, bool* failOnWarning) {
  if (value != "error" && value != "warning") return false;
  *failOnWarning = value == "warning";
  return true;
}

bool parseJobs(std::string_view value, unsigned* jobs) {
  unsigned parsed = 0;
  const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), parsed);
  if (status != std::errc() || end != value.data() + value.size() || parsed == 0 || parsed > 1024) {
    return false;
  }
  *jobs = parsed;
  return true;
}

// A count of bytes with an optional binary suffix: 512, 64K, 256M, 4G.
bool parseSize(std::string_view value, std::uint64_t* size) {
  std::uint64_t parsed = 0;
  const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), parsed);
  if (status != std::errc() || end == value.data()) return false;
  const std::string_view suffix(end, static_cast<std::size_t>(value.data() + value.size() - end));
  int shift = 0;
  if (suffix == "K")
    shift = 10;
  else if (suffix == "M")
    shift = 20;
  else if (suffix == "G")
    shift = 30;
  else if (!suffix.empty())
    return false;
  if (parsed > (kLargestMaxSize >> shift)) return false;
  *size = parsed << shift;
  return true;
}

// How the user spelt the option: its long name when it was given long.
// getopt names the long option it matched, except when its value is
// missing: then the word itself, before optind, tells.
std::string optionName(int code, int longIndex, char** argv) {
  if (longIndex >= 0) return std::string("--") + kOptions[longIndex].name;
  const std::string_view word = optind > 0 ? argv[optind - 1] : "";
  if (word.starts_with("--")) return std::string(word.substr(0, word.find('=')));
  return std::string("-") + static_cast<char>(code);
}

// Applies one option; false with *error when its value is not valid.
bool applyOption(int code, const char* value, ScanOptions* options, std::string* error) {
  bool valid = true;
  switch (code) {
    case 'j': valid = parseJobs(value, &options->jobs); break;
    case 'f': valid = parseFormat(value, &options->format); break;
    case '0': options->nullSeparated = true; break;
    case 'L': options->followSymlinks = true; break;
    case 'q': options->quiet = true; break;
    case kAllFiles: options->allFiles = true; break;
    case kSummary: options->summary = true; break;
    case kFailOn: valid = parseFailOn(value, &options->failOnWarning); break;
    case kStrict: options->strict = true; break;
    case kIgnore:
      if (findCode(value) == nullptr) {
        *error = messages::unknownCode + std::string(value);
        return false;
      }
      options->ignoredCodes.emplace_back(value);
      break;
    case kBaseline: options->baselinePath = value; break;
    case kWriteBaseline: options->writeBaselinePath = value; break;
    case kColor: valid = parseColor(value, &options->color); break;
    case kNoProgress: options->progress = false; break;
    case kMaxSize: valid = parseSize(value, &options->maxSize) && options->maxSize > 0; break;
  }
  if (!valid) *error = messages::invalidValue + std::string(value);
  return valid;
}

}  // namespace

ParseOutcome parseOptions(int argc, char** argv, ScanOptions* options, std::string* error) {
  optind = 0;  // GNU getopt starts afresh, so that a test may parse again
  opterr = 0;
  for (;;) {
    int longIndex = -1;
    const int code = getopt_long(argc, argv, kShortOptions, kOptions, &longIndex);
    if (code == -1) break;
    if (code == 'h') return ParseOutcome::help;
    if (code == 'V') return ParseOutcome::version;
    if (code == '?') {
      *error = messages::unknownOption + (optopt != 0 ? std::string("-") + static_cast<char>(optopt)
                                                      : std::string(argv[optind - 1]));
      return ParseOutcome::usageError;
    }
    if (code == ':') {
      *error = messages::missingValue + optionName(optopt, longIndex, argv);
      return ParseOutcome::usageError;
    }
    if (!applyOption(code, optarg, options, error)) {
      *error = optionName(code, longIndex, argv) + ": " + *error;
      return ParseOutcome::usageError;
    }
  }
  for (int i = optind; i < argc; ++i) options->inputs.emplace_back(argv[i]);
  if (options->inputs.empty()) {
    *error = messages::noInputs;
    return ParseOutcome::usageError;
  }
  return ParseOutcome::run;
}
