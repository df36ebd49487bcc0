// SPDX-License-Identifier: MIT
// The driver: banner, progress and verdict lines, argument handling, and the
// raw bytes of the output encoding.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

bool windowsBinary() {
  const char* binary = std::getenv("QUELDER_BINARY");
  return binary != nullptr && std::string_view(binary).ends_with(".exe");
}

// The programs whose texts are UTF-8 read names as UTF-8, except on Windows,
// which hands every program its arguments in the ANSI code page.
bool namesReadAsUtf8() { return variant() != Variant::japaneseCp932 && !windowsBinary(); }

TEST(Driver, NamesAreEchoedByteForByte) {
  TempDir dir;
  const Bytes image = smf(0, {endOfTrack()});
  // Spaces, a leading hyphen, a percent sign, and CP932 bytes (including a
  // 0x5C trail byte), which are not UTF-8: a program that reads names as
  // UTF-8 shows each byte that begins no sequence as '?'.
  const std::vector<std::pair<std::string, std::string>> names = {
      {"with space.mid", "with space.mid"},
      {"-v", "-v"},
      {"--help", "--help"},
      {"\x95\x5C\x83\x5C.mid", "?\\?\\.mid"},
      {"100%s%d.mid", "100%s%d.mid"}};
  for (const auto& [name, asUtf8] : names) {
    SCOPED_TRACE(name);
    const std::string path = dir.write(name, image);
    const std::string echoed = dir.path() + "/" + (namesReadAsUtf8() ? asUtf8 : name);
    const RunResult run = runQuelder({path});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, progressLine(echoed) + verdictLine(echoed, true));
    EXPECT_EQ(run.err, "");
  }
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
      {"tab\there\x7f\x01\x1f音.mid", "tab?here???音.mid"},
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

// A name, and how it is echoed where names are read as UTF-8 and where they
// are bytes.
struct EchoedName {
  std::string name;
  std::string asUtf8;
  std::string asBytes;
};

EchoedName keptAsBytes(const std::string& name, const std::string& asUtf8) {
  return {name, asUtf8, name};
}

// The line boundaries of Python's str.splitlines().
constexpr std::wstring_view kLineBoundaries = L"\n\r\v\f\x1c\x1d\x1e\x85\u2028\u2029";

// Reads text with glibc's UTF-8 decoder, which refuses anything ill-formed,
// and expects no line boundary in it but the line feeds that end its lines.
void expectOnlyItsOwnLineFeeds(const std::string& text, std::size_t lines) {
  const iconv_t toWide = iconv_open("WCHAR_T", "UTF-8");
  ASSERT_NE(toWide, reinterpret_cast<iconv_t>(-1));
  std::wstring wide(text.size(), L'\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = reinterpret_cast<char*>(wide.data());
  std::size_t outLeft = wide.size() * sizeof(wchar_t);
  const std::size_t converted = iconv(toWide, &in, &inLeft, &out, &outLeft);
  iconv_close(toWide);
  ASSERT_NE(converted, static_cast<std::size_t>(-1))
      << "not UTF-8 from byte " << text.size() - inLeft;
  wide.resize(wide.size() - outLeft / sizeof(wchar_t));
  std::size_t boundaries = 0;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (kLineBoundaries.find(wide[i]) == std::wstring_view::npos) continue;
    ++boundaries;
    EXPECT_EQ(wide[i], L'\n') << "a line boundary U+" << std::hex << static_cast<unsigned>(wide[i])
                              << " at character " << std::dec << i;
  }
  EXPECT_EQ(boundaries, lines);
  EXPECT_TRUE(text.ends_with('\n'));
}

// Checks a conforming file under each name, all in one run, and expects
// every name echoed as the program under test echoes it; where names are read
// as UTF-8, the output must be UTF-8 in which no reader finds a line that the
// program did not end.
void expectEchoed(const std::vector<EchoedName>& names) {
  TempDir dir;
  std::vector<std::string> paths;
  std::string expected;
  for (const EchoedName& name : names) {
    paths.push_back(dir.write(name.name, smf(0, {endOfTrack()})));
    const std::string echoed = dir.path() + "/" + (namesReadAsUtf8() ? name.asUtf8 : name.asBytes);
    expected += progressLine(echoed) + verdictLine(echoed, true);
  }
  const RunResult run = runQuelder(paths);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "");
  if (namesReadAsUtf8()) expectOnlyItsOwnLineFeeds(run.out, 2 * names.size());
}

std::string hexByte(int byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

// Every character that a reader of UTF-8 may take for the end of a line or a
// control: the control bytes, U+0080-U+009F (NEL, and CSI among them),
// U+2028 and U+2029. Each shows as one '?' where names are read as UTF-8;
// where they are bytes, only the control bytes do.
TEST(Driver, LineBreaksAndControlsInUtf8NamesAreEchoedAsQuestionMarks) {
  if (windowsBinary()) GTEST_SKIP() << "Windows names cannot hold these bytes";
  std::vector<EchoedName> names = {
      keptAsBytes("x\u0085Result: evil.mid conforms to the SMF standard 1.0.\u0085y.mid",
                  "x?Result: evil.mid conforms to the SMF standard 1.0.?y.mid"),
      keptAsBytes("a\u2028検証結果: b.midは、SMF規格1.0に適合しています。\u2029c.mid",
                  "a?検証結果: b.midは、SMF規格1.0に適合しています。?c.mid"),
      keptAsBytes("\u009b2J\u2028\u2028.mid", "?2J??.mid"),
      // Their neighbours, and characters of two to four bytes, as they are.
      keptAsBytes("\u00a0\u00bf\u2027\u202a\u3042\ufeff\ufffd\U0001F3B9\U0010FFFF.mid",
                  "\u00a0\u00bf\u2027\u202a\u3042\ufeff\ufffd\U0001F3B9\U0010FFFF.mid"),
  };
  for (int c = 0x80; c <= 0x9F; ++c) {
    const std::string prefix = "C1 " + hexByte(c) + " ";
    names.push_back(keptAsBytes(prefix + "\xC2" + static_cast<char>(c), prefix + "?"));
  }
  for (int c = 1; c <= 0x7F; c = c == 0x1F ? 0x7F : c + 1) {
    const std::string prefix = "C0 " + hexByte(c) + " ";
    names.push_back({prefix + static_cast<char>(c) + ".mid", prefix + "?.mid", prefix + "?.mid"});
  }
  expectEchoed(names);
}

// What is not UTF-8 shows as one '?' per byte that begins no well-formed
// sequence, so that no lenient decoder can make NEL or a separator of it;
// where names are bytes, it passes unchanged.
TEST(Driver, NamesThatAreNotUtf8AreEchoedAsUtf8) {
  if (windowsBinary()) GTEST_SKIP() << "Windows names are not read as UTF-8";
  expectEchoed({
      keptAsBytes("overlong NEL \xC0\x85.mid", "overlong NEL ??.mid"),
      keptAsBytes("overlong U+2028 \xF0\x82\x80\xA8.mid", "overlong U+2028 ????.mid"),
      keptAsBytes("U+2028 cut short \xE2\x80.mid", "U+2028 cut short ??.mid"),
      keptAsBytes("cut short at the end \xE2\x80", "cut short at the end ??"),
      keptAsBytes("surrogate \xED\xA0\x80.mid", "surrogate ???.mid"),
      keptAsBytes("past U+10FFFF \xF4\x90\x80\x80.mid", "past U+10FFFF ????.mid"),
      keptAsBytes("continuation bytes \x85\xA8\xA9.mid", "continuation bytes ???.mid"),
      keptAsBytes("no lead \xC1\xBF\xF5\xF8\xFE\xFF.mid", "no lead ??????.mid"),
      keptAsBytes("Latin-1 caf\xE9 \x85.mid", "Latin-1 caf? ?.mid"),
      keptAsBytes("CP932 \x83\x85\x95\x5C.mid", "CP932 ???\\.mid"),
      {"C1 CSI \x1b\x9b"
       "2J.mid",
       "C1 CSI ??2J.mid",
       "C1 CSI ?\x9b"
       "2J.mid"},
  });
}

// The writer formats a line in a buffer of 512 bytes, its NUL included, and
// a longer one apart: lines of 511, 512 and 513 bytes, on standard output and
// on standard error, each arrive whole, ended by their line feed.
TEST(Driver, LinesAroundTheWritersBufferSizeArriveWhole) {
  struct LineOfName {
    const char* label;
    const char* format;  // takes the name
    bool conforms;       // false: the file is missing
  };
  const std::string openFailed = diagnosticFormat(Code::openFailed);
  const LineOfName kinds[] = {
      {"progress", texts().progress.text, false},
      {"conforms", texts().conforms.text, true},
      {"does not conform", texts().doesNotConform.text, false},
      {"open failed", openFailed.c_str(), false},
  };
  TempDir dir;
  std::vector<std::string> paths;
  std::string out;
  std::string err;
  for (const std::size_t length : {511, 512, 513}) {
    for (const LineOfName& kind : kinds) {
      // Beyond Windows's 260-byte paths no file can be made.
      if (kind.conforms && windowsBinary()) continue;
      SCOPED_TRACE(std::string(kind.label) + ", " + std::to_string(length));
      // In names of at most 100 bytes, in a directory of its own.
      std::string path = dir.path() + "/" + std::to_string(length) + kind.label[0] + "/";
      const std::size_t pathLength = length - (std::strlen(kind.format) - 2);
      while (path.size() < pathLength) path += path.size() - path.rfind('/') > 100 ? '/' : 'n';
      if (path.back() == '/') path.back() = 'n';
      ASSERT_EQ(std::snprintf(nullptr, 0, kind.format, path.c_str()), static_cast<int>(length));
      if (kind.conforms) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        dir.write(path.substr(dir.path().size() + 1), smf(0, {endOfTrack()}));
      } else {
        err += line(Code::openFailed, path.c_str());
      }
      paths.push_back(path);
      out += progressLine(path) + verdictLine(path, kind.conforms);
    }
  }
  const RunResult run = runQuelder(paths);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, out);
  EXPECT_EQ(run.err, err);
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
