// SPDX-License-Identifier: MIT
#include "scan/progress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ProgressCase {
  std::uint64_t done;
  std::uint64_t total;
  double seconds;
  const char* line;
};

TEST(ProgressLine, RateAndTimeLeftOnceTheTotalIsKnown) {
  const ProgressCase cases[] = {
      {500, 0, 2.0, "500 files  250 files/s"},
      {500, 1000, 2.0, "500/1000 files  250 files/s  0:02 left"},
      {100, 176581, 1.0, "100/176581 files  100 files/s  29:24 left"},
      {10, 100000, 1.0, "10/100000 files  10 files/s  2:46:39 left"},
      {0, 10, 1.5, "0 files  0 files/s"},
  };
  for (const ProgressCase& c : cases) {
    char line[160];
    formatProgress(line, sizeof line, c.done, c.total, c.seconds);
    EXPECT_STREQ(line, c.line);
  }
}

std::string drawn(std::FILE* terminal) {
  std::fflush(terminal);
  std::rewind(terminal);
  std::string text;
  char block[256];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, terminal)) > 0) text.append(block, got);
  return text;
}

TEST(Progress, NothingInTheFirstSecondThenRedrawnInPlace) {
  std::FILE* terminal = std::tmpfile();
  Progress progress(terminal);
  const auto start = Progress::Clock::now();
  progress.recordDone(start + std::chrono::milliseconds(900));
  EXPECT_EQ(drawn(terminal), "");
  progress.setTotal(4);
  progress.recordDone(start + std::chrono::milliseconds(2000));
  EXPECT_EQ(drawn(terminal).rfind("\r\033[K2/4 files", 0), 0u);
  progress.recordDone(start + std::chrono::milliseconds(2100));  // too soon to redraw
  progress.finish();
  EXPECT_EQ(drawn(terminal).substr(drawn(terminal).size() - 4), "\r\033[K");
  std::fclose(terminal);
}

TEST(Progress, WithoutATerminalItDrawsNothing) {
  Progress progress(nullptr);
  EXPECT_FALSE(progress.enabled());
  progress.recordDone(Progress::Clock::now() + std::chrono::seconds(5));
  progress.finish();
}

}  // namespace
