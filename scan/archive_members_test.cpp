// SPDX-License-Identifier: MIT
#include "scan/archive_members.h"

#include <gtest/gtest.h>

#include "scan/test/scan_test_support.h"

namespace {

struct Listed {
  std::string name;
  ArchiveMembers::Data data;
  std::string bytes;
  std::uint64_t size;
};

// Every member of the archive at path, read with the limit; then how the
// listing ended and why.
std::vector<Listed> listAll(const std::string& path, std::uint64_t maxSize,
                            ArchiveMembers::Entry* last, std::string* reason) {
  ArchiveMembers members;
  std::vector<Listed> listed;
  if (!members.open(path.c_str(), reason)) {
    *last = ArchiveMembers::Entry::failed;
    return listed;
  }
  std::string name;
  while ((*last = members.next(&name, reason)) == ArchiveMembers::Entry::member) {
    ByteBuffer bytes;
    std::uint64_t size = 0;
    const ArchiveMembers::Data data = members.read(maxSize, &bytes, &size, reason);
    listed.push_back(
        {name, data, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), size});
  }
  return listed;
}

const std::vector<ArchiveMember> kMembers = {
    {"one.mid", "MThd first"}, {"dir/two.mid", std::string(100000, 'q')}, {"empty.mid", ""}};

TEST(ArchiveMembers, EachKindListsItsMembersByteForByte) {
  const std::pair<ArchiveKind, const char*> kinds[] = {{ArchiveKind::tar, "a.tar"},
                                                       {ArchiveKind::tarGz, "a.tar.gz"},
                                                       {ArchiveKind::tarXz, "a.tar.xz"},
                                                       {ArchiveKind::tarZst, "a.tar.zst"},
                                                       {ArchiveKind::zip, "a.zip"}};
  ScratchDir dir;
  for (const auto& [kind, name] : kinds) {
    ASSERT_TRUE(writeArchive(dir.at(name), kind, kMembers)) << name;
    ArchiveMembers::Entry last;
    std::string reason;
    const std::vector<Listed> listed = listAll(dir.at(name), 1 << 20, &last, &reason);
    EXPECT_EQ(last, ArchiveMembers::Entry::end) << name << ": " << reason;
    ASSERT_EQ(listed.size(), kMembers.size()) << name;
    for (std::size_t i = 0; i < listed.size(); ++i) {
      EXPECT_EQ(listed[i].name, kMembers[i].name) << name;
      EXPECT_EQ(listed[i].data, ArchiveMembers::Data::read) << name;
      EXPECT_EQ(listed[i].bytes, kMembers[i].bytes) << name << " " << kMembers[i].name;
      EXPECT_EQ(listed[i].size, kMembers[i].bytes.size()) << name;
    }
  }
}

// Sets the uncompressed size that the zip's headers declare for its first
// member, in the local header and in the central directory.
void declareZipSize(std::string* zip, std::uint32_t size) {
  const auto put = [&](std::size_t at) {
    for (int i = 0; i < 4; ++i) (*zip)[at + i] = static_cast<char>(size >> (8 * i));
  };
  put(zip->find("PK\x03\x04") + 22);
  put(zip->find("PK\x01\x02") + 24);
}

// A member that declares more than the limit is never read; one that
// declares little and inflates to more (a zip bomb) is read up to the
// limit and no further.
TEST(ArchiveMembers, TheLimitHoldsWhateverTheMemberDeclares) {
  ScratchDir dir;
  const std::string zeros(8 << 20, '\0');
  ASSERT_TRUE(writeArchive(dir.at("declared.zip"), ArchiveKind::zip,
                           {{"declared.mid", zeros}, {"fits.mid", std::string(4096, 'f')}}));
  ArchiveMembers::Entry last;
  std::string reason;
  std::vector<Listed> listed = listAll(dir.at("declared.zip"), 1 << 20, &last, &reason);
  EXPECT_EQ(last, ArchiveMembers::Entry::end) << reason;
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].data, ArchiveMembers::Data::tooLarge);
  EXPECT_EQ(listed[0].size, zeros.size());
  EXPECT_EQ(listed[0].bytes, "");
  EXPECT_EQ(listed[1].data, ArchiveMembers::Data::read);
  EXPECT_EQ(listed[1].bytes, std::string(4096, 'f'));

  ASSERT_TRUE(writeArchive(dir.at("liar.zip"), ArchiveKind::zip, {{"liar.mid", zeros}}));
  std::string liar = readWhole(dir.at("liar.zip"));
  declareZipSize(&liar, 10);
  dir.write("liar.zip", liar);
  listed = listAll(dir.at("liar.zip"), 1 << 20, &last, &reason);
  ASSERT_EQ(listed.size(), 1u) << reason;
  EXPECT_EQ(listed[0].data, ArchiveMembers::Data::tooLarge);
  EXPECT_EQ(listed[0].size, (1u << 20) + 1);
  EXPECT_LE(listed[0].bytes.size(), 1u << 20);
}

TEST(ArchiveMembers, ATruncatedArchiveFailsAfterTheMembersBeforeTheCut) {
  ScratchDir dir;
  ASSERT_TRUE(writeArchive(dir.at("whole.tar"), ArchiveKind::tar,
                           {{"a.mid", "first"}, {"b.mid", std::string(20000, 'b')}}));
  const std::string whole = readWhole(dir.at("whole.tar"));
  dir.write("cut.tar", whole.substr(0, 512 + 512 + 512 + 4000));  // inside b.mid's data
  ArchiveMembers::Entry last;
  std::string reason;
  const std::vector<Listed> listed = listAll(dir.at("cut.tar"), 1 << 20, &last, &reason);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].bytes, "first");
  EXPECT_EQ(listed[1].data, ArchiveMembers::Data::failed);
  EXPECT_NE(reason.find("runcated"), std::string::npos) << reason;
}

TEST(ArchiveMembers, WhatIsNoArchiveFailsWithTheLibrarysReason) {
  ScratchDir dir;
  dir.write("text.zip", "just text, no archive");
  ArchiveMembers::Entry last;
  std::string reason;
  EXPECT_TRUE(listAll(dir.at("text.zip"), 1024, &last, &reason).empty());
  EXPECT_EQ(last, ArchiveMembers::Entry::failed);
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(listAll(dir.at("missing.tar"), 1024, &last, &reason).empty());
  EXPECT_EQ(last, ArchiveMembers::Entry::failed);
  EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
}

}  // namespace
