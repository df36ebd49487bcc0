// The driver: banner, progress and verdict lines, argument handling, and the
// raw bytes of the output encoding.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

std::string banner() {
  return "Quelder version 1.00" + lineEnd() +
         "指定のファイルが、SMF規格1.0に適合するかを検証します。" + lineEnd() + "使い方:" +
         lineEnd() + "quelder.exe [検証するファイル名(複数可)]" + lineEnd();
}

std::string openFailed(const std::string& name) {
  return fileError(name + "を開くことができませんでした。");
}

TEST(Driver, NoArgumentPrintsOnlyTheBanner) {
  const RunResult run = runQuelder({});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, banner());
  EXPECT_EQ(run.err, "");
}

// Pinned bytes: a wrong conversion of the texts cannot pass by being wrong on
// both sides of the comparison.
TEST(Driver, TextsLeaveInTheOutputEncoding) {
  TempDir dir;
  const RunResult run = runQuelder({dir.path() + "/missing"});
#ifdef QUELDER_OUTPUT_CP932
  const std::string error = "\x83\x47\x83\x89\x81\x5B";             // エラー
  const std::string verdictStart = "\x8C\x9F\x8F\xD8\x8C\x8B\x89\xCA";  // 検証結果
  const std::string bannerLine2 = "\x8E\x77\x92\xE8\x82\xCC";        // 指定の
#else
  const std::string error = "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC";
  const std::string verdictStart = "\xE6\xA4\x9C\xE8\xA8\xBC\xE7\xB5\x90\xE6\x9E\x9C";
  const std::string bannerLine2 = "\xE6\x8C\x87\xE5\xAE\x9A\xE3\x81\xAE";
#endif
  EXPECT_EQ(run.err.substr(0, error.size()), error);
  EXPECT_NE(run.out.find(lineEnd() + verdictStart), std::string::npos);
  const std::string bannerText = runQuelder({}).out;
  EXPECT_EQ(bannerText.substr(20 + lineEnd().size(), bannerLine2.size()), bannerLine2);
}

TEST(Driver, ChecksEveryArgumentInOrderAndGoesOnAfterAFailure) {
  TempDir dir;
  const std::string good = dir.write("good.mid", smf(0, {endOfTrack()}));
  const std::string missing = dir.path() + "/missing.mid";
  const RunResult run = runQuelder({missing, good, missing});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, progressLine(missing) + verdictLine(missing, false) + progressLine(good) +
                         verdictLine(good, true) + progressLine(missing) +
                         verdictLine(missing, false));
  EXPECT_EQ(run.err, openFailed(missing) + openFailed(missing));
}

TEST(Driver, NamesAreEchoedByteForByte) {
  TempDir dir;
  const Bytes image = smf(0, {endOfTrack()});
  // Spaces, a leading hyphen, CP932 bytes (including a 0x5C trail byte) and a percent sign.
  for (const std::string name : {"with space.mid", "-v", "--help", "\x95\x5C\x83\x5C.mid",
                                 "100%s%d.mid"}) {
    SCOPED_TRACE(name);
    expectCheck(image, "", true, name);
  }
}

bool windowsBinary() {
  const char* binary = std::getenv("QUELDER_BINARY");
  return binary != nullptr && std::string_view(binary).ends_with(".exe");
}

// Each byte below 0x20 and 0x7F is echoed as '?', so that a name can neither
// forge a line of its own nor reach the terminal as a control sequence; the
// file is still opened by its real name.
TEST(Driver, ControlBytesInNamesAreEchoedAsQuestionMarks) {
  if (windowsBinary()) GTEST_SKIP() << "Windows names cannot hold these bytes";
  struct Case {
    std::string name;
    std::string echoed;
  };
  const std::vector<Case> cases = {
      {"\n検証結果: x.midは、SMF規格1.0に適合しています。\n",
       "?検証結果: x.midは、SMF規格1.0に適合しています。?"},
      {"done.mid\rforged.mid", "done.mid?forged.mid"},
      {"\x1b]0;title\x07\x1b[2J.mid", "?]0;title??[2J.mid"},
      {"tab\there\x7f\x01\x1f\x95\x5C.mid", "tab?here???\x95\x5C.mid"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.echoed);
    const std::string conforming = dir.write(c.name, smf(0, {endOfTrack()}));
    // 4 GiB, a hole: the size message.
    const std::string huge = dir.write(c.name + "\x1b.huge", {});
    std::filesystem::resize_file(huge, 0x100000000);
    const std::string missing = conforming + "\n.missing";
    const std::string echoed = dir.path() + "/" + c.echoed;
    const RunResult run = runQuelder({conforming, huge, missing});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, progressLine(echoed) + verdictLine(echoed, true) +
                           progressLine(echoed + "?.huge") + verdictLine(echoed + "?.huge", false) +
                           progressLine(echoed + "?.missing") +
                           verdictLine(echoed + "?.missing", false));
    EXPECT_EQ(run.err, fileError(echoed + "?.hugeのファイルサイズを取得できませんでした。") +
                           openFailed(echoed + "?.missing"));
  }
}

TEST(Driver, SameFileTwiceGivesIdenticalOutput) {
  TempDir dir;
  const std::string bad = dir.write("bad.mid", hex("4D 54 68 64 00"));
  const RunResult run = runQuelder({bad, bad});
  const std::string once = progressLine(bad) + verdictLine(bad, false);
  EXPECT_EQ(run.out, once + once);
  EXPECT_EQ(run.err, errorAt(4, "ヘッダブロックのデータ長を読みとれません。") +
                         errorAt(4, "ヘッダブロックのデータ長を読みとれません。"));
}

// With 2>&1 the lines keep the order in which they were produced.
TEST(Driver, MergedStreamsKeepTheirOrder) {
  TempDir dir;
  const std::string bad = dir.write("bad.mid", Bytes{});
  const std::string good = dir.write("good.mid", smf(1, {endOfTrack()}));
  EXPECT_EQ(runQuelderMerged({bad, good}),
            progressLine(bad) + errorAt(0, "ヘッダチャンク形式が不正です。") +
                verdictLine(bad, false) + progressLine(good) + verdictLine(good, true));
}

TEST(Driver, FilesThatCannotBeOpened) {
  TempDir dir;
  for (const std::string& name :
       std::vector<std::string>{dir.path() + "/missing.mid", dir.path(), std::string()}) {
    SCOPED_TRACE(name);
    const RunResult run = runQuelder({name});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, openFailed(name));
    EXPECT_EQ(run.out, progressLine(name) + verdictLine(name, false));
  }
}

}  // namespace
