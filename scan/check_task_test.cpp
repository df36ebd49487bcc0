// SPDX-License-Identifier: MIT
#include "scan/check_task.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "scan/codes.h"
#include "scan/test/scan_test_support.h"

namespace {

// A result from the library as a record: what quelder_check_file says of the
// same file.
Record libraryRecord(const std::string& path) {
  quelder_result* result = quelder_check_file(path.c_str(), nullptr);
  Record record = recordOfResult(result);
  quelder_result_free(result);
  return record;
}

void expectSameDiagnostics(const std::vector<Diagnostic>& a, const std::vector<Diagnostic>& b,
                           const std::string& label) {
  ASSERT_EQ(a.size(), b.size()) << label;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].code, b[i].code) << label;
    EXPECT_EQ(a[i].severity, b[i].severity) << label;
    EXPECT_EQ(a[i].grade, b[i].grade) << label;
    EXPECT_EQ(a[i].offset, b[i].offset) << label;
    EXPECT_EQ(a[i].track, b[i].track) << label;
    EXPECT_EQ(a[i].event, b[i].event) << label;
    EXPECT_EQ(a[i].tick, b[i].tick) << label;
    EXPECT_EQ(a[i].message, b[i].message) << label;
  }
}

// A file loaded here and a member read from an archive give what the
// library gives when it loads the file itself.
TEST(CheckTask, FilesAndMembersGetTheLibrarysResult) {
  ScratchDir dir;
  for (const char* name : {"conforming.mid", "nonconforming.mid", "warnings.mid"}) {
    const std::string bytes = exampleBytes(name);
    dir.write(name, bytes);
    const Record expected = libraryRecord(dir.at(name));

    Task file;
    file.path = dir.at(name);
    const Record loaded = checkTask(&file, 1 << 20);
    EXPECT_EQ(loaded.conforms, expected.conforms) << name;
    EXPECT_EQ(loaded.format, expected.format) << name;
    EXPECT_EQ(loaded.size, bytes.size()) << name;
    EXPECT_FALSE(loaded.unreadable) << name;
    expectSameDiagnostics(loaded.diagnostics, expected.diagnostics, name);
    expectSameDiagnostics(loaded.findings, expected.findings, name);

    Task member;
    member.kind = Task::Kind::member;
    member.path = "set.zip";
    member.member = name;
    ASSERT_TRUE(member.bytes.reserve(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), member.bytes.data());
    member.bytes.setSize(bytes.size());
    const Record fromMember = checkTask(&member, 1 << 20);
    EXPECT_TRUE(fromMember.inArchive);
    EXPECT_EQ(fromMember.path, "set.zip");
    EXPECT_EQ(fromMember.member, name);
    EXPECT_EQ(fromMember.conforms, expected.conforms) << name;
    expectSameDiagnostics(fromMember.diagnostics, expected.diagnostics, name);
    EXPECT_EQ(member.bytes.data(), nullptr) << "the member's bytes are released";
  }
}

// What cannot be loaded gets the library's own file error, worded by its
// table, as the library words it for a file it cannot open.
TEST(CheckTask, FailuresToLoadGetTheLibrarysFileErrors) {
  ScratchDir dir;
  dir.write("big.mid", std::string(100, 'x'));
  const std::string missing = dir.at("missing.mid");
  Task file;
  file.path = missing;
  const Record open = checkTask(&file, 1 << 20);
  EXPECT_TRUE(open.unreadable);
  EXPECT_EQ(open.reason, "No such file or directory");
  expectSameDiagnostics(open.diagnostics, libraryRecord(missing).diagnostics, "missing");

  file.path = dir.at("big.mid");
  const Record tooLarge = checkTask(&file, 99);
  EXPECT_FALSE(tooLarge.unreadable);
  EXPECT_FALSE(tooLarge.conforms);
  EXPECT_EQ(tooLarge.size, 100u);
  EXPECT_EQ(tooLarge.reason, "larger than the limit of 99 bytes (--max-size)");
  ASSERT_EQ(tooLarge.diagnostics.size(), 1u);
  EXPECT_EQ(tooLarge.diagnostics[0].code, "memory-failed");
  EXPECT_EQ(tooLarge.diagnostics[0].severity, QUELDER_SEVERITY_FILE_ERROR);
  EXPECT_EQ(tooLarge.diagnostics[0].offset, -1);

  Task member;
  member.kind = Task::Kind::tooLarge;
  member.path = "bomb.zip";
  member.member = "x.mid";
  member.size = 1ull << 40;
  const Record bomb = checkTask(&member, 1 << 20);
  EXPECT_EQ(bomb.diagnostics[0].code, "memory-failed");
  EXPECT_EQ(bomb.size, 1ull << 40);
}

// The findings are the library's additions only, each marked as beyond the
// reference program's report; a file error is a diagnostic only.
TEST(CheckTask, FindingsAreOnlyWhatTheDiagnosticsDoNotSay) {
  const struct {
    const char* label;
    std::string bytes;
    std::vector<std::string> diagnostics;
    std::vector<std::string> findings;
    bool afterFirstError;
  } cases[] = {
      {"conforms", smfOfTrack(std::string("\0\xFF\x2F\0", 4)), {}, {}, false},
      {"a loud note", smfOfTrack(kLoudNoteTrack), {}, {"channel-data-byte"}, false},
      {"after a Copyright error",
       smfOfTrack(kCopyrightWithoutSign + kLoudNoteTrack),
       {"copyright-text"},
       {"channel-data-byte"},
       true},
  };
  for (const auto& c : cases) {
    quelder_result* result = quelder_check_buffer(c.bytes.data(), c.bytes.size(), nullptr);
    const Record record = recordOfResult(result);
    quelder_result_free(result);
    std::vector<std::string> diagnostics;
    for (const Diagnostic& d : record.diagnostics) {
      diagnostics.push_back(d.code);
      EXPECT_FALSE(d.beyondReference) << c.label;
    }
    std::vector<std::string> findings;
    for (const Diagnostic& f : record.findings) {
      findings.push_back(f.code);
      EXPECT_TRUE(f.beyondReference) << c.label;
      EXPECT_EQ(f.afterFirstError, c.afterFirstError) << c.label;
    }
    EXPECT_EQ(diagnostics, c.diagnostics) << c.label;
    EXPECT_EQ(findings, c.findings) << c.label;
  }
  Task missing;
  missing.path = "no/such/file.mid";
  const Record error = checkTask(&missing, 1 << 20);
  EXPECT_EQ(error.diagnostics.size(), 1u);
  EXPECT_TRUE(error.findings.empty());
}

TEST(CheckTask, EveryFileErrorIsInTheLibrarysTable) {
  for (const LoadFailure failure : {LoadFailure::open, LoadFailure::size, LoadFailure::tooLarge,
                                    LoadFailure::memory, LoadFailure::read}) {
    EXPECT_EQ(fileErrorCode(failure).severity, QUELDER_SEVERITY_FILE_ERROR);
  }
  EXPECT_EQ(findCode("no-such-code"), nullptr);
  ASSERT_NE(findCode("track-length"), nullptr);
  EXPECT_EQ(quelder_code(codeIndex("track-length"), QUELDER_LANGUAGE_EN), findCode("track-length"));
}

TEST(CheckTask, AnInputErrorKeepsItsReason) {
  Task task;
  task.kind = Task::Kind::inputError;
  task.path = "dir";
  task.reason = "Permission denied";
  const Record record = checkTask(&task, 10);
  EXPECT_TRUE(record.inputError);
  EXPECT_EQ(record.reason, "Permission denied");
  EXPECT_EQ(record.path, "dir");
}

}  // namespace
