// SPDX-License-Identifier: MIT
#include "scan/baseline.h"

#include <gtest/gtest.h>

#include "scan/test/scan_test_support.h"

namespace {

TEST(BaselineName, EscapesBackslashTabAndControlBytesOnly) {
  EXPECT_EQ(escapeBaselineName("songs/a b.mid"), "songs/a b.mid");
  EXPECT_EQ(escapeBaselineName("a\tb\nc\\d\x7f"), "a\\x09b\\x0Ac\\x5Cd\\x7F");
  EXPECT_EQ(escapeBaselineName("caf\xC3\xA9"), "caf\xC3\xA9");
}

struct ParseCase {
  const char* label;
  const char* text;
  const char* error;  // null: parses
};

const ParseCase kParseCases[] = {
    {"empty file", "", nullptr},
    {"comments and blank lines", "# header\n\n# more\n", nullptr},
    {"an entry", "open-failed\ta.mid\t\n", nullptr},
    {"a member and no final line end", "open-failed\tc.zip\tx/y.mid", nullptr},
    {"escaped name", "open-failed\ta\\x09b.mid\t\n", nullptr},
    {"unknown code", "# c\nno-such-code\ta.mid\t\n", "line 2"},
    {"one tab", "open-failed\ta.mid\n", "line 1"},
    {"empty path", "open-failed\t\t\n", "line 1"},
    {"bare control byte", "open-failed\ta\x01.mid\t\n", "line 1"},
    {"bad escape", "open-failed\ta\\q.mid\t\n", "line 1"},
    {"escape cut short", "open-failed\ta\\x4\t\n", "line 1"},
    {"lower-case hex is accepted", "open-failed\ta\\x0a\t\n", nullptr},
};

TEST(BaselineParse, AcceptsEntriesAndNamesTheFirstBadLine) {
  for (const ParseCase& c : kParseCases) {
    Baseline baseline;
    std::string error;
    const bool parsed = baseline.parse(c.text, &error);
    EXPECT_EQ(parsed, c.error == nullptr) << c.label;
    if (c.error != nullptr) {
      EXPECT_NE(error.find(c.error), std::string::npos) << c.label << error;
    }
  }
}

TEST(Baseline, AcceptsOnlyTheSameCodeFileAndMember) {
  Baseline baseline;
  baseline.add("read-failed", "dir/a\tb.mid", "");
  baseline.add("open-failed", "set.zip", "x.mid");
  EXPECT_TRUE(baseline.accepts("read-failed", "dir/a\tb.mid", ""));
  EXPECT_FALSE(baseline.accepts("open-failed", "dir/a\tb.mid", ""));
  EXPECT_FALSE(baseline.accepts("read-failed", "dir/a b.mid", ""));
  EXPECT_TRUE(baseline.accepts("open-failed", "set.zip", "x.mid"));
  EXPECT_FALSE(baseline.accepts("open-failed", "set.zip", ""));
  EXPECT_FALSE(baseline.accepts("open-failed", "set.zip", "y.mid"));
}

TEST(Baseline, WritesSortedEntriesOnceAndReadsThemBack) {
  Baseline written;
  written.add("read-failed", "b.mid", "");
  written.add("open-failed", "a\nb.mid", "");
  written.add("read-failed", "b.mid", "");
  const std::string text = written.text();
  EXPECT_EQ(text.substr(text.find('\n') + 1),
            "open-failed\ta\\x0Ab.mid\t\n"
            "read-failed\tb.mid\t\n");
  ScratchDir dir;
  std::string error;
  ASSERT_TRUE(written.write(dir.at("baseline").c_str(), &error)) << error;
  Baseline read;
  ASSERT_TRUE(read.load(dir.at("baseline").c_str(), &error)) << error;
  EXPECT_TRUE(read.accepts("open-failed", "a\nb.mid", ""));
  EXPECT_EQ(read.text(), text);
}

TEST(Baseline, LoadSaysWhyAMissingFileCannotBeRead) {
  Baseline baseline;
  std::string error;
  EXPECT_FALSE(baseline.load("/nonexistent/baseline", &error));
  EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
