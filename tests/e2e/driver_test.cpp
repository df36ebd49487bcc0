// SPDX-License-Identifier: MIT
// The driver: banner, progress and verdict lines, argument handling, and the
// raw bytes of the output encoding.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// The whole output of each variant, written out by hand for a few lines, so
// that a wrong catalogue or encoding cannot pass by being wrong on both sides
// of the comparison. \x01 stands for the file name, \x02 for the program's
// name; every \n is written as the line ending in force.
struct PinnedOutput {
  Variant variant;
  const char* banner;
  const char* progress;
  const char* conforms;
  const char* doesNotConform;
  const char* unknownChunkAt18;
  const char* headerMalformedAt0;
  const char* openFailed;
};

const PinnedOutput kPinned[] = {
    {Variant::japaneseCp932,
     // Quelder version 1.00 / 指定のファイルが、SMF規格1.0に適合するかを検証します。 /
     // 使い方: / quelder.exe [検証するファイル名(複数可)]
     "Quelder version 1.00\n"
     "\x8E\x77\x92\xE8\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x81\x41SMF\x8B\x4B\x8A\x69"
     "1.0\x82\xC9\x93\x4B\x8D\x87\x82\xB7\x82\xE9\x82\xA9\x82\xF0\x8C\x9F\x8F\xD8\x82\xB5\x82\xDC"
     "\x82\xB7\x81\x42\n"
     "\x8E\x67\x82\xA2\x95\xFB:\n"
     "\x02 "
     "[\x8C\x9F\x8F\xD8\x82\xB7\x82\xE9\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC(\x95\xA1\x90\x94"
     "\x89\xC2)]\n",
     // が、SMF規格1.0に適合しているかを検証します:
     "\x01\x82\xAA\x81\x41SMF\x8B\x4B\x8A\x69"
     "1.0\x82\xC9\x93\x4B\x8D\x87\x82\xB5\x82\xC4\x82\xA2\x82\xE9\x82\xA9\x82\xF0\x8C\x9F\x8F\xD8"
     "\x82\xB5\x82\xDC\x82\xB7:\n",
     // 検証結果: は、SMF規格1.0に適合しています。
     "\x8C\x9F\x8F\xD8\x8C\x8B\x89\xCA: \x01\x82\xCD\x81\x41SMF\x8B\x4B\x8A\x69"
     "1.0\x82\xC9\x93\x4B\x8D\x87\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42\n",
     // 検証結果: は、SMF規格1.0に適合していません。
     "\x8C\x9F\x8F\xD8\x8C\x8B\x89\xCA: \x01\x82\xCD\x81\x41SMF\x8B\x4B\x8A\x69"
     "1.0\x82\xC9\x93\x4B\x8D\x87\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42\n",
     // 警告(18): 不明なチャンク形式です。
     "\x8C\x78\x8D\x90(18): "
     "\x95\x73\x96\xBE\x82\xC8\x83\x60\x83\x83\x83\x93\x83\x4E\x8C\x60\x8E\xAE"
     "\x82\xC5\x82\xB7\x81\x42\n",
     // エラー(0): ヘッダチャンク形式が不正です。
     "\x83\x47\x83\x89\x81\x5B(0): \x83\x77\x83\x62\x83\x5F\x83\x60\x83\x83\x83\x93\x83\x4E\x8C\x60"
     "\x8E\xAE\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\n",
     // エラー: を開くことができませんでした。
     "\x83\x47\x83\x89\x81\x5B: "
     "\x01\x82\xF0\x8A\x4A\x82\xAD\x82\xB1\x82\xC6\x82\xAA\x82\xC5\x82\xAB"
     "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\n"},
    // This source file is UTF-8: these literals are the bytes quelder-utf8 prints.
    {Variant::japaneseUtf8,
     "Quelder version 1.00\n指定のファイルが、SMF規格1.0に適合するかを検証します。\n使い方:\n"
     "\x02 [検証するファイル名(複数可)]\n",
     "\x01が、SMF規格1.0に適合しているかを検証します:\n",
     "検証結果: \x01は、SMF規格1.0に適合しています。\n",
     "検証結果: \x01は、SMF規格1.0に適合していません。\n", "警告(18): 不明なチャンク形式です。\n",
     "エラー(0): ヘッダチャンク形式が不正です。\n", "エラー: \x01を開くことができませんでした。\n"},
    {Variant::english,
     "Quelder version 1.00\nChecks whether the given files conform to the SMF standard 1.0.\n"
     "Usage:\n\x02 [names of files to check (several allowed)]\n",
     "Checking whether \x01 conforms to the SMF standard 1.0:\n",
     "Result: \x01 conforms to the SMF standard 1.0.\n",
     "Result: \x01 does not conform to the SMF standard 1.0.\n",
     "Warning(18): unknown chunk type.\n", "Error(0): the header chunk is malformed.\n",
     "Error: could not open \x01.\n"},
};

// A pinned text with its placeholders filled in.
std::string pinned(const char* text, const std::string& name = "") {
  std::string bytes;
  for (const char* at = text; *at != '\0'; ++at) {
    if (*at == '\x01') {
      bytes += name;
    } else if (*at == '\x02') {
      bytes += bannerName();
    } else if (*at == '\n') {
      bytes += lineEnd();
    } else {
      bytes += *at;
    }
  }
  return bytes;
}

const PinnedOutput& pinnedOutput() {
  for (const PinnedOutput& output : kPinned) {
    if (output.variant == variant()) return output;
  }
  std::abort();
}

TEST(Driver, NoArgumentPrintsOnlyTheBanner) {
  const RunResult run = runQuelder({});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, pinned(pinnedOutput().banner));
  EXPECT_EQ(run.out, line(texts().banner, bannerName()));
  EXPECT_EQ(run.err, "");
}

// A warning and a conforming file, an error, a file error: every byte.
TEST(Driver, PinnedBytesOfEachForm) {
  const PinnedOutput& bytes = pinnedOutput();
  TempDir dir;
  const std::string warned =
      dir.write("warned.mid", concat({header(0, 0), chunk("XVnd", hex("01"))}));
  const std::string bad = dir.write("bad.mid", Bytes{});
  const std::string missing = dir.path() + "/missing.mid";
  const RunResult run = runQuelder({warned, bad, missing});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, pinned(bytes.progress, warned) + pinned(bytes.conforms, warned) +
                         pinned(bytes.progress, bad) + pinned(bytes.doesNotConform, bad) +
                         pinned(bytes.progress, missing) + pinned(bytes.doesNotConform, missing));
  EXPECT_EQ(run.err, pinned(bytes.unknownChunkAt18) + pinned(bytes.headerMalformedAt0) +
                         pinned(bytes.openFailed, missing));
}

// The English program prints ASCII, whatever it was built on.
TEST(Driver, EnglishIsPlainAscii) {
  if (variant() != Variant::english) GTEST_SKIP() << "English only";
  const Texts& catalogue = texts();
  std::vector<const char*> all = {
      catalogue.banner.text,         catalogue.progress.text,   catalogue.conforms.text,
      catalogue.doesNotConform.text, catalogue.outputLost.text, catalogue.diagnosticsLost.text,
      catalogue.errorAt.text,        catalogue.warningAt.text,  catalogue.fileError.text};
  for (const Message& message : catalogue.messages.all) {
    all.insert(all.end(), {message.text, message.rule, message.readers});
  }
  for (const LengthMessage& message : catalogue.metaLengthMustBe) all.push_back(message.text);
  for (const Name& name : catalogue.channelMessages) all.push_back(name.text);
  // The meta-event names are one pointer to a text each.
  const auto metaNames =
      std::bit_cast<std::array<const char*, sizeof(Texts::MetaEventNames) / sizeof(const char*)>>(
          catalogue.metaEvents);
  all.insert(all.end(), metaNames.begin(), metaNames.end());
  for (const char* text : all) {
    SCOPED_TRACE(text);
    for (const char* at = text; *at != '\0'; ++at) {
      EXPECT_LT(static_cast<unsigned char>(*at), 0x80);
    }
  }
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
  EXPECT_EQ(run.err,
            line(Code::openFailed, missing.c_str()) + line(Code::openFailed, missing.c_str()));
}

TEST(Driver, NamesAreEchoedByteForByte) {
  TempDir dir;
  const Bytes image = smf(0, {endOfTrack()});
  // Spaces, a leading hyphen, CP932 bytes (including a 0x5C trail byte) and a percent sign.
  for (const std::string name :
       {"with space.mid", "-v", "--help", "\x95\x5C\x83\x5C.mid", "100%s%d.mid"}) {
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
    EXPECT_EQ(run.err, line(Code::sizeFailed, (echoed + "?.huge").c_str()) +
                           line(Code::openFailed, (echoed + "?.missing").c_str()));
  }
}

TEST(Driver, SameFileTwiceGivesIdenticalOutput) {
  TempDir dir;
  const std::string bad = dir.write("bad.mid", hex("4D 54 68 64 00"));
  const RunResult run = runQuelder({bad, bad});
  const std::string once = progressLine(bad) + verdictLine(bad, false);
  EXPECT_EQ(run.out, once + once);
  EXPECT_EQ(run.err, line(Code::headerLengthUnreadable, 4) + line(Code::headerLengthUnreadable, 4));
}

// With 2>&1 the lines keep the order in which they were produced.
TEST(Driver, MergedStreamsKeepTheirOrder) {
  TempDir dir;
  const std::string bad = dir.write("bad.mid", Bytes{});
  const std::string good = dir.write("good.mid", smf(1, {endOfTrack()}));
  EXPECT_EQ(runQuelderMerged({bad, good}), progressLine(bad) + line(Code::headerMalformed, 0) +
                                               verdictLine(bad, false) + progressLine(good) +
                                               verdictLine(good, true));
}

TEST(Driver, FilesThatCannotBeOpened) {
  TempDir dir;
  for (const std::string& name :
       std::vector<std::string>{dir.path() + "/missing.mid", dir.path(), std::string()}) {
    SCOPED_TRACE(name);
    const RunResult run = runQuelder({name});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, line(Code::openFailed, name.c_str()));
    EXPECT_EQ(run.out, progressLine(name) + verdictLine(name, false));
  }
}

}  // namespace
