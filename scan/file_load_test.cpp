// SPDX-License-Identifier: MIT
#include "scan/file_load.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "scan/test/scan_test_support.h"

namespace {

struct LoadCase {
  const char* label;
  const char* name;
  std::uint64_t maxSize;
  LoadFailure failure;
  const char* reason;  // null: none
  std::uint64_t size;
};

TEST(FileLoad, EachStepFailsOnItsOwn) {
  ScratchDir dir;
  dir.write("ten.mid", "0123456789");
  dir.write("empty.mid", "");
  dir.makeDirectory("dir.mid");
  dir.fifo("pipe.mid");
  const LoadCase cases[] = {
      {"fits", "ten.mid", 10, LoadFailure::none, nullptr, 10},
      {"empty", "empty.mid", 10, LoadFailure::none, nullptr, 0},
      {"one byte over", "ten.mid", 9, LoadFailure::tooLarge, nullptr, 10},
      {"missing", "missing.mid", 10, LoadFailure::open, "No such file or directory", 0},
      {"directory", "dir.mid", 10, LoadFailure::open, "not a regular file", 0},
      {"FIFO, without blocking", "pipe.mid", 10, LoadFailure::open, "not a regular file", 0},
  };
  for (const LoadCase& c : cases) {
    const LoadedFile loaded = loadFile(dir.at(c.name).c_str(), c.maxSize);
    EXPECT_EQ(loaded.failure, c.failure) << c.label;
    EXPECT_EQ(loaded.size, c.size) << c.label;
    if (c.reason == nullptr) {
      EXPECT_EQ(loaded.reason, nullptr) << c.label;
    } else {
      EXPECT_STREQ(loaded.reason, c.reason) << c.label;
    }
    const bool held = c.failure == LoadFailure::none;
    EXPECT_EQ(loaded.bytes.size(), held ? c.size : 0) << c.label;
  }
  const LoadedFile ten = loadFile(dir.at("ten.mid").c_str(), 10);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ten.bytes.data()), ten.bytes.size()),
            "0123456789");
}

// A writer's exclusive lock keeps the file from being checked, as it keeps
// the reference program from opening it.
TEST(FileLoad, AFileLockedByAWriterCannotBeOpened) {
  ScratchDir dir;
  dir.write("held.mid", "x");
  const int writer = ::open(dir.at("held.mid").c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  const LoadedFile loaded = loadFile(dir.at("held.mid").c_str(), 10);
  EXPECT_EQ(loaded.failure, LoadFailure::open);
  EXPECT_STREQ(loaded.reason, "locked by a writer");
  ::close(writer);
  EXPECT_EQ(loadFile(dir.at("held.mid").c_str(), 10).failure, LoadFailure::none);
}

}  // namespace
