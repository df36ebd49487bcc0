// SPDX-License-Identifier: MIT
#include "scan/ordered_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "scan/record_formats.h"
#include "scan/test/scan_test_support.h"

namespace {

// Every record of a run over inputs, as JSON lines, in the order the sink
// saw them.
std::string runWith(unsigned jobs, const std::vector<std::string>& inputs) {
  WalkOptions walk;
  walk.maxSize = 1 << 20;
  InputWalker walker(inputs, walk, nullptr);
  Policy policy;
  RunSettings settings;
  settings.jobs = jobs;
  settings.maxSize = walk.maxSize;
  settings.policy = &policy;
  std::string lines;
  runOrdered(&walker, settings, [&](const Record& record) { appendJsonLine(&lines, record); });
  return lines;
}

// More files than the window of waiting records, with a few large ones
// among small ones, so that threads finish out of order; an archive, an
// unreadable entry and a file over the limit among them.
TEST(OrderedRun, RecordsComeInWalkOrderWhateverTheThreadCount) {
  ScratchDir dir;
  const std::string good = exampleBytes("conforming.mid");
  const std::string bad = exampleBytes("nonconforming.mid");
  for (int i = 0; i < 600; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "t/%03d.mid", i);
    std::string bytes = i % 7 == 0 ? bad : good;
    if (i % 97 == 0) bytes += std::string(128 * 1024, '\0');  // a slow one
    dir.write(name, bytes);
  }
  dir.write("t/big.mid", std::string((1 << 20) + 1, 'x'));
  ASSERT_TRUE(writeArchive(dir.at("t/m.zip"), ArchiveKind::zip, {{"a.mid", good}, {"b.mid", bad}}));
  dir.write("t/zz.tar", "not a tar");
  const std::vector<std::string> inputs = {dir.at("t"), dir.at("missing.mid")};

  const std::string one = runWith(1, inputs);
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 600 + 1 + 2 + 1 + 1);
  std::size_t at = 0;
  for (int i = 0; i < 600; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/t/%03d.mid\"", i);
    const std::size_t found = one.find(name, at);
    ASSERT_NE(found, std::string::npos) << name;
    at = found;
  }
  for (const unsigned jobs : {2u, 3u, 8u}) EXPECT_EQ(runWith(jobs, inputs), one) << jobs;
}

}  // namespace
