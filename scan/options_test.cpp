// SPDX-License-Identifier: MIT
#include "scan/options.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

struct Parsed {
  ParseOutcome outcome;
  ScanOptions options;
  std::string error;
};

Parsed parse(std::initializer_list<const char*> words) {
  std::vector<std::string> storage = {"quelder-scan"};
  storage.insert(storage.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& word : storage) argv.push_back(word.data());
  argv.push_back(nullptr);
  Parsed parsed;
  parsed.outcome =
      parseOptions(static_cast<int>(storage.size()), argv.data(), &parsed.options, &parsed.error);
  return parsed;
}

TEST(Options, DefaultsWithInputsOnly) {
  const Parsed parsed = parse({"a.mid", "dir"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::run);
  const ScanOptions& o = parsed.options;
  EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.mid", "dir"}));
  EXPECT_EQ(o.format, OutputFormat::text);
  EXPECT_EQ(o.jobs, 0u);
  EXPECT_EQ(o.maxSize, 256u * 1024 * 1024);
  EXPECT_FALSE(o.nullSeparated || o.followSymlinks || o.allFiles || o.summary || o.quiet ||
               o.failOnWarning || o.strict);
  EXPECT_TRUE(o.progress);
}

TEST(Options, EachOptionInLongAndShortForms) {
  const Parsed parsed = parse({"-j",
                               "3",
                               "--format=csv",
                               "-0",
                               "-L",
                               "-q",
                               "--all-files",
                               "--summary",
                               "--fail-on",
                               "warning",
                               "--strict",
                               "--ignore=unknown-chunk",
                               "--ignore",
                               "track-length",
                               "--baseline=b.txt",
                               "--write-baseline",
                               "w.txt",
                               "--color=always",
                               "--no-progress",
                               "--max-size=64K",
                               "-"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::run) << parsed.error;
  const ScanOptions& o = parsed.options;
  EXPECT_EQ(o.jobs, 3u);
  EXPECT_EQ(o.format, OutputFormat::csv);
  EXPECT_TRUE(o.nullSeparated && o.followSymlinks && o.quiet && o.allFiles && o.summary &&
              o.failOnWarning && o.strict);
  EXPECT_EQ(o.ignoredCodes, (std::vector<std::string>{"unknown-chunk", "track-length"}));
  EXPECT_EQ(o.baselinePath, "b.txt");
  EXPECT_EQ(o.writeBaselinePath, "w.txt");
  EXPECT_EQ(o.color, ColorChoice::always);
  EXPECT_FALSE(o.progress);
  EXPECT_EQ(o.maxSize, 64u * 1024);
  EXPECT_EQ(o.inputs, (std::vector<std::string>{"-"}));
}

TEST(Options, OptionsAfterInputsAndInputsAfterDoubleDash) {
  const Parsed parsed = parse({"a.mid", "--format", "jsonl", "--", "--summary", "-q"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::run);
  EXPECT_EQ(parsed.options.format, OutputFormat::jsonl);
  EXPECT_FALSE(parsed.options.summary);
  EXPECT_EQ(parsed.options.inputs, (std::vector<std::string>{"a.mid", "--summary", "-q"}));
}

TEST(Options, SizesTakeBinarySuffixesUpToTheLibrarysLimit) {
  const std::pair<const char*, std::uint64_t> sizes[] = {
      {"--max-size=1", 1},
      {"--max-size=2M", 2u << 20},
      {"--max-size=3G", 3ull << 30},
      {"--max-size=4294967293", kLargestMaxSize}};
  for (const auto& [word, size] : sizes) {
    const Parsed parsed = parse({word, "x"});
    ASSERT_EQ(parsed.outcome, ParseOutcome::run) << word;
    EXPECT_EQ(parsed.options.maxSize, size) << word;
  }
}

TEST(Options, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(parse({"--help", "--bogus"}).outcome, ParseOutcome::help);
  EXPECT_EQ(parse({"-h"}).outcome, ParseOutcome::help);
  EXPECT_EQ(parse({"--version"}).outcome, ParseOutcome::version);
  EXPECT_EQ(parse({"-V", "x"}).outcome, ParseOutcome::version);
}

struct UsageCase {
  std::initializer_list<const char*> words;
  const char* error;
};

TEST(Options, UsageErrorsSayWhatIsWrong) {
  const UsageCase cases[] = {
      {{}, "no input given (a file, a directory, an archive or -)"},
      {{"--summary"}, "no input given (a file, a directory, an archive or -)"},
      {{"--bogus", "x"}, "unknown option --bogus"},
      {{"-Z", "x"}, "unknown option -Z"},
      {{"x", "--format"}, "a value is needed for --format"},
      {{"x", "-j"}, "a value is needed for -j"},
      {{"--format=xml", "x"}, "--format: invalid value xml"},
      {{"-j", "0", "x"}, "-j: invalid value 0"},
      {{"--jobs=2x", "x"}, "--jobs: invalid value 2x"},
      {{"--jobs=99999", "x"}, "--jobs: invalid value 99999"},
      {{"--fail-on=info", "x"}, "--fail-on: invalid value info"},
      {{"--color=sometimes", "x"}, "--color: invalid value sometimes"},
      {{"--max-size=0", "x"}, "--max-size: invalid value 0"},
      {{"--max-size=5G", "x"}, "--max-size: invalid value 5G"},
      {{"--max-size=12T", "x"}, "--max-size: invalid value 12T"},
      {{"--ignore=no-such-code", "x"}, "--ignore: no such code no-such-code"},
  };
  for (const UsageCase& c : cases) {
    const Parsed parsed = parse(c.words);
    EXPECT_EQ(parsed.outcome, ParseOutcome::usageError) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

}  // namespace
