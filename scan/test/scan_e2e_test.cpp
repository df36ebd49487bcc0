// SPDX-License-Identifier: MIT
// The real quelder-scan on real files: each input kind, each format, the
// exit statuses, the baseline and the bad inputs, every output byte pinned.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "scan_runner.h"
#include "scan_test_support.h"

namespace {

const std::string kGood = "conforms\n";
const char* const kBadLine =
    "does not conform: not-in-first-track at 60 (track 2, event 2, tick 96): in SMF format 1, "
    "the Tempo meta event must be placed in the first track.\n";
const char* const kWarnLine =
    "conforms, with warnings: unknown-chunk at 18: unknown chunk type. [+1 more]\n";

// A small collection in a scratch directory, checked from its top:
//   c/bad.mid c/good.mid c/notes.txt c/sub/deep.mid c/warn.mid
class Collection : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("c/good.mid", exampleBytes("conforming.mid"));
    dir.write("c/bad.mid", exampleBytes("nonconforming.mid"));
    dir.write("c/warn.mid", exampleBytes("warnings.mid"));
    dir.write("c/sub/deep.mid", exampleBytes("conforming.mid"));
    dir.write("c/notes.txt", "not MIDI");
  }

  ScanRun scan(std::vector<std::string> args, std::string input = "") const {
    ScanInvocation invocation;
    invocation.args = std::move(args);
    invocation.directory = dir.path();
    invocation.input = std::move(input);
    return runScanBinary(invocation);
  }

  ScratchDir dir;
};

struct RunCase {
  const char* label;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;
  std::string err;
};

void expectRun(const Collection& collection, const ScanRun& run, const RunCase& c) {
  (void)collection;
  EXPECT_EQ(run.status, c.status) << c.label;
  EXPECT_EQ(run.out, c.out) << c.label;
  EXPECT_EQ(run.err, c.err) << c.label;
}

TEST_F(Collection, InputsOfEachKindAndTheExitStatus) {
  const RunCase cases[] = {
      {"a file that conforms", {"c/good.mid"}, "", 0, "c/good.mid: " + kGood, ""},
      {"a file that does not", {"c/bad.mid"}, "", 1, std::string("c/bad.mid: ") + kBadLine, ""},
      {"warnings do not fail by default",
       {"c/warn.mid"},
       "",
       0,
       std::string("c/warn.mid: ") + kWarnLine,
       ""},
      {"--fail-on=warning",
       {"--fail-on=warning", "c/warn.mid"},
       "",
       1,
       std::string("c/warn.mid: ") + kWarnLine,
       ""},
      {"a directory, sorted, MIDI names only",
       {"c"},
       "",
       1,
       std::string("c/bad.mid: ") + kBadLine + "c/good.mid: " + kGood + "c/sub/deep.mid: " + kGood +
           "c/warn.mid: " + kWarnLine,
       ""},
      {"--all-files",
       {"--all-files", "c/sub", "c/notes.txt"},
       "",
       1,
       "c/sub/deep.mid: " + kGood +
           "c/notes.txt: does not conform: header-malformed at 0: the header chunk is "
           "malformed.\n",
       ""},
      {"--ignore leaves the code out of the line and the status",
       {"--ignore=not-in-first-track", "c/bad.mid"},
       "",
       0,
       "c/bad.mid: does not conform\n",
       ""},
      {"--quiet shows what fails", {"-q", "c"}, "", 1, std::string("c/bad.mid: ") + kBadLine, ""},
      {"a missing file cannot be read",
       {"c/good.mid", "c/gone.mid"},
       "",
       2,
       "c/good.mid: " + kGood +
           "c/gone.mid: cannot be read: open-failed: could not open c/gone.mid. (No such file or "
           "directory)\n",
       ""},
      {"a path list by lines, with an empty line",
       {"-"},
       "c/good.mid\n\nc/sub\n",
       2,
       "c/good.mid: " + kGood + "-: cannot be read: empty path in the path list, line 2\n" +
           "c/sub/deep.mid: " + kGood,
       ""},
      {"a path list by NUL",
       {"-0", "-"},
       std::string("c/good.mid\0c/warn.mid\0", 22),
       0,
       "c/good.mid: " + kGood + "c/warn.mid: " + kWarnLine,
       ""},
      {"no input",
       {},
       "",
       2,
       "",
       "quelder-scan: no input given (a file, a directory, an archive or -)\n"
       "Try 'quelder-scan --help' for more information.\n"},
      {"a bad option",
       {"--jobs=0", "c"},
       "",
       2,
       "",
       "quelder-scan: --jobs: invalid value 0\nTry 'quelder-scan --help' for more information.\n"},
      {"--version", {"--version"}, "", 0, "quelder-scan 1.1.0 (library 1.1.0)\n", ""},
  };
  for (const RunCase& c : cases) expectRun(*this, scan(c.args, c.input), c);
}

TEST_F(Collection, ColourOnlyWhenAskedOutsideATerminal) {
  EXPECT_EQ(scan({"--color=always", "c/bad.mid", "c/good.mid"}).out,
            std::string("c/bad.mid: \033[1;31mdoes not conform\033[0m") + (kBadLine + 16) +
                "c/good.mid: \033[32mconforms\033[0m\n");
  EXPECT_EQ(scan({"c/good.mid"}).out, "c/good.mid: " + kGood);
}

// Output that cannot be written in full is no clean run.
TEST_F(Collection, LostOutputMakesTheExitStatusTwo) {
  ScanInvocation invocation;
  invocation.args = {"c"};
  invocation.directory = dir.path();
  invocation.outputPath = "/dev/full";
  const ScanRun run = runScanBinary(invocation);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "quelder-scan: the output could not be written in full\n");
}

TEST_F(Collection, HelpNamesEveryOptionAndTheExitStatuses) {
  const ScanRun run = scan({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* word :
       {"--null", "--follow-symlinks", "--all-files", "--max-size", "--format", "--quiet",
        "--summary", "--color", "--no-progress", "--fail-on", "--strict", "--ignore", "--baseline",
        "--write-baseline", "--jobs", "--help", "--version", "Exit status:"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
}

TEST_F(Collection, ArchivesOfEachKindAreCheckedInMemory) {
  const std::pair<ArchiveKind, const char*> kinds[] = {{ArchiveKind::tar, "set.tar"},
                                                       {ArchiveKind::tarGz, "set.tar.gz"},
                                                       {ArchiveKind::tarXz, "set.tar.xz"},
                                                       {ArchiveKind::tarZst, "set.tar.zst"},
                                                       {ArchiveKind::zip, "set.zip"}};
  for (const auto& [kind, name] : kinds) {
    ASSERT_TRUE(writeArchive(dir.at(std::string("a/") + name), kind,
                             {{"x/good.mid", exampleBytes("conforming.mid")},
                              {"x/readme.txt", "text"},
                              {"x/bad.mid", exampleBytes("nonconforming.mid")}}));
  }
  const auto before = std::filesystem::directory_iterator(dir.at("a"));
  std::size_t entriesBefore = std::distance(before, std::filesystem::directory_iterator());
  const ScanRun run = scan({"a"});
  EXPECT_EQ(run.status, 1);
  std::string expected;
  for (const char* name : {"set.tar", "set.tar.gz", "set.tar.xz", "set.tar.zst", "set.zip"}) {
    expected += std::string("a/") + name + "::x/good.mid: " + kGood;
    expected += std::string("a/") + name + "::x/bad.mid: " + kBadLine;
  }
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "");
  // Nothing extracted: the directory holds what it held.
  const auto after = std::filesystem::directory_iterator(dir.at("a"));
  EXPECT_EQ(std::distance(after, std::filesystem::directory_iterator()), entriesBefore);
}

TEST_F(Collection, JsonLinesHoldEveryDiagnosticAndFinding) {
  ASSERT_TRUE(writeArchive(dir.at("set.zip"), ArchiveKind::zip,
                           {{"in\x01zip.mid", exampleBytes("nonconforming.mid")}}));
  const ScanRun run = scan({"--format=jsonl", "c/bad.mid", "set.zip", "c/gone"});
  EXPECT_EQ(run.status, 2);
  const std::string bad =
      "\"diagnostics\":[{\"code\":\"not-in-first-track\",\"severity\":\"error\",\"grade\":"
      "\"content\",\"offset\":60,\"track\":2,\"event\":2,\"tick\":96,\"event_offset\":56,"
      "\"message\":\"in SMF format 1, the Tempo meta event must be placed in the first "
      "track.\",\"counted\":true}],\"findings\":[]}\n";
  EXPECT_EQ(
      run.out,
      "{\"path\":\"c/bad.mid\",\"size\":67,\"conforms\":false,\"format\":\"smf\",\"fails\":"
      "true,\"readable\":true," +
          bad +
          "{\"path\":\"set.zip\",\"member\":\"in\\u0001zip.mid\",\"size\":67,\"conforms\":"
          "false,\"format\":\"smf\",\"fails\":true,\"readable\":true," +
          bad +
          "{\"path\":\"c/gone\",\"size\":0,\"conforms\":false,\"format\":\"unknown\",\"fails\":"
          "true,\"readable\":false,\"reason\":\"No such file or directory\","
          "\"diagnostics\":[{\"code\":\"open-failed\",\"severity\":\"file-error\","
          "\"grade\":null,\"offset\":-1,\"track\":0,\"event\":0,\"tick\":0,"
          "\"event_offset\":-1,\"message\":\"could not open c/gone.\",\"counted\":true}],"
          "\"findings\":[]}\n");
}

TEST_F(Collection, CsvHasAHeaderAndOneRowPerFile) {
  const ScanRun run = scan({"-f", "csv", "c"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,"
            "event,tick,message,findings\n"
            "c/bad.mid,,does not conform,true,false,smf,67,not-in-first-track,error,content,60,2,"
            "2,96,\"in SMF format 1, the Tempo meta event must be placed in the first track.\",0\n"
            "c/good.mid,,conforms,false,true,smf,170,,,,,,,,,0\n"
            "c/sub/deep.mid,,conforms,false,true,smf,170,,,,,,,,,0\n"
            "c/warn.mid,,\"conforms, with warnings\",false,true,smf,58,unknown-chunk,warning,,18,"
            ",,,unknown chunk type.,0\n");
}

TEST_F(Collection, SummaryFollowsTheTextOrGoesToStandardError) {
  const std::string summary =
      "Summary:\n"
      "  files checked                             4\n"
      "  conform                                   2\n"
      "  conform, with warnings                    1\n"
      "  do not conform                            1\n"
      "  cannot be read                            0\n"
      "  inputs that cannot be read                0\n"
      "  fail (exit status)                        1\n"
      "Findings by grade:\n"
      "  structure                                 0\n"
      "  content                                   1\n"
      "  recommendation                            0\n"
      "  (warnings, file errors)                   2\n"
      "Findings by code (reference, beyond):\n"
      "  not-in-first-track                        1          0\n"
      "  unknown-chunk                             1          0\n"
      "  unknown-meta-type                         1          0\n";
  ScanRun run = scan({"--summary", "-q", "c"});
  EXPECT_EQ(run.out, std::string("c/bad.mid: ") + kBadLine + summary);
  run = scan({"--summary", "-q", "-f", "jsonl", "c"});
  EXPECT_EQ(run.err, summary);
  EXPECT_EQ(run.out.find("Summary"), std::string::npos);
}

TEST_F(Collection, ABaselineAcceptsWhatItListsAndNothingElse) {
  ScanRun run = scan({"--write-baseline", "known.txt", "c"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(readWhole(dir.at("known.txt")),
            "# quelder-scan baseline: CODE<TAB>PATH<TAB>MEMBER (\\xHH for control bytes)\n"
            "not-in-first-track\tc/bad.mid\t\n"
            "unknown-chunk\tc/warn.mid\t\n"
            "unknown-meta-type\tc/warn.mid\t\n");
  run = scan({"--baseline=known.txt", "--fail-on=warning", "c"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
            "c/bad.mid: does not conform: not-in-first-track (accepted) at 60 (track 2, event 2, "
            "tick 96): in SMF format 1, the Tempo meta event must be placed in the first track.\n");
  // A new bad file is not in the baseline.
  dir.write("c/new.mid", exampleBytes("nonconforming.mid"));
  EXPECT_EQ(scan({"--baseline", "known.txt", "-q", "c"}).out,
            std::string("c/new.mid: ") + kBadLine);
  dir.write("broken.txt", "no tabs here\n");
  run = scan({"--baseline=broken.txt", "c"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "quelder-scan: cannot read the baseline broken.txt: not a baseline entry "
            "(CODE<TAB>PATH<TAB>MEMBER, a known code), line 1\n");
}

// What the reference program does not report: a Note On of velocity FF
// (a rule beyond its own), and a Copyright text that is its first error with
// that note, or an unknown meta-event, after it. Findings never repeat a
// diagnostic and count only under --strict, their warnings only with
// --fail-on=warning as well.
TEST_F(Collection, FindingsAreWhatTheReferenceProgramDoesNotReport) {
  dir.write("f/loud.mid", smfOfTrack(kLoudNoteTrack));
  dir.write("f/later.mid", smfOfTrack(kCopyrightWithoutSign + kLoudNoteTrack));
  dir.write("f/meta.mid",
            smfOfTrack(kCopyrightWithoutSign + std::string("\0\xFF\x60\0\0\xFF\x2F\0", 8)));
  const std::string copyrightLine =
      "does not conform: copyright-text at 26 (track 1, event 1, tick 0): the Copyright meta "
      "event must contain the characters (C), the year of publication of the work and the name "
      "of the copyright holder. [+1 more]\n";
  const std::string loudLine =
      "channel-data-byte at 25 (track 1, event 1, tick 0): a data byte of Note On is 80 hex or "
      "more.\n";
  const RunCase cases[] = {
      {"a finding alone does not fail",
       {"f/loud.mid"},
       "",
       0,
       "f/loud.mid: conforms [+1 more]\n",
       ""},
      {"--strict", {"--strict", "f/loud.mid"}, "", 1, "f/loud.mid: conforms: " + loudLine, ""},
      {"past an ignored first error",
       {"--ignore=copyright-text", "f/later.mid"},
       "",
       0,
       "f/later.mid: does not conform [+1 more]\n",
       ""},
      {"past an ignored first error, --strict",
       {"--ignore=copyright-text", "--strict", "f/later.mid"},
       "",
       1,
       "f/later.mid: does not conform: channel-data-byte at 32 (track 1, event 2, tick 0): a data "
       "byte of Note On is 80 hex or more.\n",
       ""},
      {"a warning past it, --strict",
       {"--ignore=copyright-text", "--strict", "f/meta.mid"},
       "",
       0,
       "f/meta.mid: does not conform [+1 more]\n",
       ""},
      {"a warning past it, --strict --fail-on=warning",
       {"--ignore=copyright-text", "--strict", "--fail-on=warning", "f/meta.mid"},
       "",
       1,
       "f/meta.mid: does not conform: unknown-meta-type at 32 (track 1, event 2, tick 0): the "
       "type of the meta event is not recognised.\n",
       ""},
      {"the first error shown first",
       {"--strict", "f/later.mid", "f/meta.mid"},
       "",
       1,
       "f/later.mid: " + copyrightLine + "f/meta.mid: " + copyrightLine,
       ""},
      {"CSV counts the findings",
       {"-f", "csv", "f/loud.mid", "f/later.mid"},
       "",
       1,
       "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,event,"
       "tick,message,findings\n"
       "f/loud.mid,,conforms,false,true,smf,30,,,,,,,,,1\n"
       "f/later.mid,,does not conform,true,false,smf,37,copyright-text,error,recommendation,26,1,"
       "1,0,\"the Copyright meta event must contain the characters (C), the year of publication "
       "of the work and the name of the copyright holder.\",1\n",
       ""},
      {"JSON Lines, --strict",
       {"--strict", "-f", "jsonl", "f/later.mid"},
       "",
       1,
       "{\"path\":\"f/later.mid\",\"size\":37,\"conforms\":false,\"format\":\"smf\",\"fails\":"
       "true,\"readable\":true,\"diagnostics\":[{\"code\":\"copyright-text\",\"severity\":"
       "\"error\",\"grade\":\"recommendation\",\"offset\":26,\"track\":1,\"event\":1,\"tick\":0,"
       "\"event_offset\":22,\"message\":\"the Copyright meta event must contain the characters "
       "(C), the year of publication of the work and the name of the copyright holder.\","
       "\"counted\":true}],\"findings\":[{\"code\":\"channel-data-byte\",\"severity\":"
       "\"beyond-reference\",\"grade\":\"structure\",\"offset\":32,\"track\":1,\"event\":2,"
       "\"tick\":0,\"event_offset\":29,\"message\":\"a data byte of Note On is 80 hex or more.\","
       "\"after_first_error\":true,\"counted\":true}]}\n",
       ""},
  };
  for (const RunCase& c : cases) expectRun(*this, scan(c.args, c.input), c);

  // SARIF: the findings after the diagnostics, notes unless --strict.
  const std::pair<bool, std::vector<std::string>> sarif[] = {{false, {"note", "error", "note"}},
                                                             {true, {"error", "error", "error"}}};
  for (const auto& [strict, levels] : sarif) {
    std::vector<std::string> args = {"-f", "sarif", "f/loud.mid", "f/later.mid"};
    if (strict) args.insert(args.begin(), "--strict");
    const ScanRun run = scan(args);
    EXPECT_EQ(sarifResultLevels(run.out), levels) << strict;
    EXPECT_EQ(run.status, 1) << strict;
  }
}

TEST_F(Collection, TheOutputIsTheSameWhateverTheJobCount) {
  for (int i = 0; i < 200; ++i) {
    dir.write("many/" + std::to_string(i) + ".mid",
              exampleBytes(i % 5 == 0 ? "nonconforming.mid" : "conforming.mid"));
  }
  const ScanRun one = scan({"-j1", "-f", "jsonl", "many"});
  EXPECT_EQ(one.status, 1);
  for (const char* jobs : {"-j2", "-j7"}) {
    const ScanRun more = scan({jobs, "-f", "jsonl", "many"});
    EXPECT_EQ(more.out, one.out) << jobs;
    EXPECT_EQ(more.status, one.status) << jobs;
  }
}

// Inputs that cannot be read, or read safely only with care: each gets its
// line and the run goes on to the next.
TEST_F(Collection, BadInputsEachGetALineAndTheRunGoesOn) {
  dir.makeDirectory("loop");
  dir.symlink(".", "loop/up");
  dir.write("loop/z.mid", exampleBytes("conforming.mid"));
  // b.mid does not compress, so that the cut falls well inside it.
  std::string noise(300000, '\0');
  std::uint32_t state = 1;
  for (char& byte : noise) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  ASSERT_TRUE(writeArchive(dir.at("whole.tar.gz"), ArchiveKind::tarGz,
                           {{"a.mid", exampleBytes("conforming.mid")}, {"b.mid", noise}}));
  const std::string whole = readWhole(dir.at("whole.tar.gz"));
  dir.write("cut.tar.gz", whole.substr(0, whole.size() / 2));
  ASSERT_TRUE(writeArchive(
      dir.at("bomb.zip"), ArchiveKind::zip,
      {{"bomb.mid", std::string(64 << 20, '\0')}, {"after.mid", exampleBytes("conforming.mid")}}));
  ASSERT_TRUE(writeArchive(dir.at("names.zip"), ArchiveKind::zip,
                           {{"a\x1b[31mred\n.mid", exampleBytes("conforming.mid")}}));
  dir.fifo("pipe.mid");
  const ScanRun run = scan({"-L", "--max-size=1M", "loop", "cut.tar.gz", "bomb.zip", "names.zip",
                            "pipe.mid", "c/good.mid"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "loop/up: cannot be read: directory loop: already being walked as loop\n"
            "loop/z.mid: " +
                kGood + "cut.tar.gz::a.mid: " + kGood +
                "cut.tar.gz::b.mid: cannot be read: truncated gzip input\n"
                "bomb.zip::bomb.mid: does not conform: memory-failed: memory allocation failed. "
                "(larger than the limit of 1048576 bytes (--max-size))\n"
                "bomb.zip::after.mid: " +
                kGood + "names.zip::a?[31mred?.mid: " + kGood +
                "pipe.mid: cannot be read: open-failed: could not open pipe.mid. (not a regular "
                "file)\n"
                "c/good.mid: " +
                kGood);
}

// As root every directory can be read: the program runs as nobody then.
TEST_F(Collection, AnUnreadableDirectoryIsReportedAndTheRunGoesOn) {
  dir.write("c/locked/hidden.mid", exampleBytes("nonconforming.mid"));
  for (const char* path : {"", "c", "c/sub"}) ASSERT_EQ(::chmod(dir.at(path).c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.at("c/locked").c_str(), 0), 0);
  ScanInvocation invocation;
  invocation.args = {"-q", "c"};
  invocation.directory = dir.path();
  invocation.asNobody = true;
  const ScanRun run = runScanBinary(invocation);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, std::string("c/bad.mid: ") + kBadLine +
                         "c/locked: cannot be read: Permission denied\n");
}

TEST_F(Collection, ADirectoryOfAHundredThousandEntries) {
  // Hard links: the entries cost no space. A file takes at most 65,000 of
  // them on ext4, so two files share the work.
  const std::string files[] = {dir.at("c/good.mid"), dir.at("c/sub/deep.mid")};
  dir.makeDirectory("huge");
  for (int i = 0; i < 100000; ++i) {
    const std::string name = dir.at("huge/" + std::to_string(i) + ".mid");
    ASSERT_EQ(::link(files[i % 2].c_str(), name.c_str()), 0) << name;
  }
  const ScanRun run = scan({"--summary", "-q", "huge"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find("  conform,")),
            "Summary:\n  files checked                        100000\n"
            "  conform                              100000\n");
}

}  // namespace
