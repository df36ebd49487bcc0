// SPDX-License-Identifier: MIT
#include "scan/walker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "scan/test/scan_test_support.h"

namespace {

// Each task as one line, paths relative to the scratch directory.
std::vector<std::string> walk(const ScratchDir& dir, std::vector<std::string> inputs,
                              WalkOptions options = {}, std::FILE* pathList = nullptr) {
  if (options.maxSize == 0) options.maxSize = 1024;
  InputWalker walker(std::move(inputs), options, pathList);
  std::vector<std::string> lines;
  Task task;
  while (walker.next(&task)) {
    const bool inside = task.path.starts_with(dir.path());
    const std::string path =
        inside ? std::string(".").append(task.path, dir.path().size()) : task.path;
    switch (task.kind) {
      case Task::Kind::file: lines.push_back("file " + path); break;
      case Task::Kind::member:
        lines.push_back(
            "member " + path + " " + task.member + " " +
            std::string(reinterpret_cast<const char*>(task.bytes.data()), task.bytes.size()));
        break;
      case Task::Kind::tooLarge:
        lines.push_back("too large " + path + " " + task.member + " " + std::to_string(task.size));
        break;
      case Task::Kind::inputError: lines.push_back("error " + path + ": " + task.reason); break;
      case Task::Kind::archive: lines.push_back("archive " + path); break;
    }
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(Walker, NamesAreSortedByTheirBytesAndSubdirectoriesWalkedInPlace) {
  ScratchDir dir;
  for (const char* name : {"B.mid", "a.mid", "a/z.mid", "a.txt", "c.MID", "sub/deep/x.kar",
                           ".hidden.mid", "song.midi", "k.rmi", "s.smf"}) {
    dir.write(name, "x");
  }
  EXPECT_EQ(
      walk(dir, {dir.at("")}),
      (Lines{"file ./.hidden.mid", "file ./B.mid", "file ./a/z.mid", "file ./a.mid", "file ./c.MID",
             "file ./k.rmi", "file ./s.smf", "file ./song.midi", "file ./sub/deep/x.kar"}));
  WalkOptions all;
  all.allFiles = true;
  EXPECT_EQ(walk(dir, {dir.at("a"), dir.at("a.txt"), dir.at("sub")}, all),
            (Lines{"file ./a/z.mid", "file ./a.txt", "file ./sub/deep/x.kar"}));
}

TEST(Walker, NamedInputsAreTakenAsTheyAreInTheirOrder) {
  ScratchDir dir;
  dir.write("notes.txt", "x");
  dir.write("d/b.mid", "x");
  // A named file is checked whatever its name; a missing one is left to the load.
  EXPECT_EQ(walk(dir, {dir.at("notes.txt"), dir.at("missing.mid"), dir.at("d")}),
            (Lines{"file ./notes.txt", "file ./missing.mid", "file ./d/b.mid"}));
}

TEST(Walker, LinksInDirectoriesAreFollowedOnlyWhenAsked) {
  ScratchDir dir;
  dir.write("t/a.mid", "x");
  dir.write("t/d/z.mid", "x");
  dir.symlink("a.mid", "t/link.mid");
  dir.symlink("d", "t/linkdir");
  dir.symlink("gone.mid", "t/dangling.mid");
  EXPECT_EQ(walk(dir, {dir.at("t")}), (Lines{"file ./t/a.mid", "file ./t/d/z.mid"}));
  WalkOptions follow;
  follow.followSymlinks = true;
  EXPECT_EQ(walk(dir, {dir.at("t")}, follow),
            (Lines{"file ./t/a.mid", "file ./t/d/z.mid",
                   "error ./t/dangling.mid: No such file or directory", "file ./t/link.mid",
                   "file ./t/linkdir/z.mid"}));
  // A named link is followed either way.
  EXPECT_EQ(walk(dir, {dir.at("t/linkdir")}), (Lines{"file ./t/linkdir/z.mid"}));
}

TEST(Walker, LoopsAreReportedAndTheWalkGoesOn) {
  ScratchDir dir;
  dir.write("t/a/z.mid", "x");
  dir.symlink("..", "t/a/up");
  dir.symlink("self.mid", "t/self.mid");
  dir.write("t/b.mid", "x");
  WalkOptions follow;
  follow.followSymlinks = true;
  EXPECT_EQ(
      walk(dir, {dir.at("t")}, follow),
      (Lines{"error ./t/a/up: directory loop: already being walked as " + dir.at("t"),
             "file ./t/a/z.mid", "file ./t/b.mid", "error ./t/self.mid: symbolic link loop"}));
}

TEST(Walker, SpecialFilesInDirectoriesAreLeftOut) {
  ScratchDir dir;
  dir.fifo("t/pipe.mid");
  dir.write("t/x.mid", "x");
  EXPECT_EQ(walk(dir, {dir.at("t")}), (Lines{"file ./t/x.mid"}));
  // Named, a FIFO is a file to load, which refuses it without blocking.
  EXPECT_EQ(walk(dir, {dir.at("t/pipe.mid")}), (Lines{"file ./t/pipe.mid"}));
}

// As root every directory can be read: the walk runs in a child that gives
// up root first, when it has it.
TEST(Walker, AnUnreadableDirectoryIsReportedAndTheWalkGoesOn) {
  ScratchDir dir;
  dir.write("t/a.mid", "x");
  dir.write("t/locked/hidden.mid", "x");
  dir.write("t/z.mid", "x");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.at("t").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.at("t/locked").c_str(), 0), 0);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeEnds[0]);
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(3);
    std::string out;
    for (const std::string& line : walk(dir, {dir.at("t")})) out += line + "\n";
    const bool written =
        ::write(pipeEnds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
    ::_exit(written ? 0 : 4);
  }
  ::close(pipeEnds[1]);
  std::string out;
  char block[4096];
  ssize_t got;
  while ((got = ::read(pipeEnds[0], block, sizeof block)) > 0) out.append(block, got);
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(out,
            "file ./t/a.mid\n"
            "error ./t/locked: Permission denied\n"
            "file ./t/z.mid\n");
}

std::FILE* pathListOf(std::string_view text) {
  std::FILE* list = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), list);
  std::rewind(list);
  return list;
}

TEST(Walker, PathListsByLineOrByNulWithEmptyEntriesReported) {
  ScratchDir dir;
  dir.write("d/x.mid", "x");
  const std::string d = dir.at("d");
  std::FILE* lines = pathListOf("a.mid\n\n" + d + "\nlast.mid");
  EXPECT_EQ(walk(dir, {"first.mid", "-", "after.mid"}, {}, lines),
            (Lines{"file first.mid", "file a.mid", "error -: empty path in the path list, line 2",
                   "file ./d/x.mid", "file last.mid", "file after.mid"}));
  std::fclose(lines);
  WalkOptions nul;
  nul.nullSeparated = true;
  constexpr char kNulList[] = "with\nline end.mid\0\0b.mid";  // the last NUL left off
  std::FILE* nuls = pathListOf(std::string(kNulList, sizeof kNulList - 1));
  EXPECT_EQ(walk(dir, {"-"}, nul, nuls),
            (Lines{"file with\nline end.mid", "error -: empty path in the path list, line 2",
                   "file b.mid"}));
  std::fclose(nuls);
}

TEST(Walker, ArchivesYieldTheirMidiMembersInStoredOrder) {
  ScratchDir dir;
  ASSERT_TRUE(writeArchive(dir.at("d/set.tar.gz"), ArchiveKind::tarGz,
                           {{"z.mid", "zz"}, {"readme.txt", "r"}, {"a/b.MID", "ab"}}));
  dir.write("d/y.mid", "y");
  EXPECT_EQ(walk(dir, {dir.at("d")}),
            (Lines{"member ./d/set.tar.gz z.mid zz", "member ./d/set.tar.gz a/b.MID ab",
                   "file ./d/y.mid"}));
  WalkOptions all;
  all.allFiles = true;
  EXPECT_EQ(walk(dir, {dir.at("d/set.tar.gz")}, all),
            (Lines{"member ./d/set.tar.gz z.mid zz", "member ./d/set.tar.gz readme.txt r",
                   "member ./d/set.tar.gz a/b.MID ab"}));
  WalkOptions closed;
  closed.openArchives = false;
  EXPECT_EQ(walk(dir, {dir.at("d")}, closed), (Lines{"archive ./d/set.tar.gz", "file ./d/y.mid"}));
}

TEST(Walker, MembersOverTheLimitAreNotHeld) {
  ScratchDir dir;
  ASSERT_TRUE(writeArchive(dir.at("big.zip"), ArchiveKind::zip,
                           {{"big.mid", std::string(5000, 'x')}, {"small.mid", "s"}}));
  WalkOptions options;
  options.maxSize = 4096;
  EXPECT_EQ(walk(dir, {dir.at("big.zip")}, options),
            (Lines{"too large ./big.zip big.mid 5000", "member ./big.zip small.mid s"}));
}

TEST(Walker, ABrokenArchiveIsReportedOnceAndTheWalkGoesOn) {
  ScratchDir dir;
  dir.write("d/fake.tar.gz", "not gzip at all");
  dir.write("d/z.mid", "z");
  const Lines lines = walk(dir, {dir.at("d")});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("error ./d/fake.tar.gz: ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "file ./d/z.mid");
}

TEST(WalkerNames, MidiAndArchiveExtensionsInAnyCase) {
  for (const char* name : {"a.mid", "A.MID", "b.Midi", "k.kar", "r.RMI", "s.smf"}) {
    EXPECT_TRUE(isMidiName(name)) << name;
  }
  for (const char* name : {"a.mid.txt", "mid", "a.midx", ""})
    EXPECT_FALSE(isMidiName(name)) << name;
  for (const char* name :
       {"a.tar", "a.TAR.GZ", "a.tgz", "a.tar.xz", "a.txz", "a.tar.zst", "a.tzst", "a.zip"}) {
    EXPECT_TRUE(isArchiveName(name)) << name;
  }
  for (const char* name : {"a.gz", "a.xz", "a.tar.bz2", "a.zipx"}) {
    EXPECT_FALSE(isArchiveName(name)) << name;
  }
}

}  // namespace
