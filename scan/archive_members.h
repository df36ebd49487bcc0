// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "scan/byte_buffer.h"

struct archive;
struct archive_entry;

// The members of one tar (plain, gzip, xz, zstd, bzip2) or zip archive, read
// one after another with libarchive straight into memory: nothing is
// extracted. Only regular members are listed.
class ArchiveMembers {
 public:
  ArchiveMembers();
  ~ArchiveMembers();
  ArchiveMembers(const ArchiveMembers&) = delete;
  ArchiveMembers& operator=(const ArchiveMembers&) = delete;

  // Opens the archive at path; false with *reason when it cannot be.
  bool open(const char* path, std::string* reason);

  enum class Entry { member, end, failed };
  // Steps to the next regular member and sets *name to its name; failed
  // with *reason when the archive is broken, truncated or not an archive.
  // The member's data not read is skipped.
  Entry next(std::string* name, std::string* reason);

  enum class Data { read, tooLarge, noMemory, failed };
  // Reads the member whole into *bytes when it is at most maxSize bytes,
  // whatever size its header declares. *size is its size, or the size it
  // declares when that is too large (maxSize + 1 when it declares none).
  Data read(std::uint64_t maxSize, ByteBuffer* bytes, std::uint64_t* size, std::string* reason);

 private:
  Data fill(std::uint64_t maxSize, ByteBuffer* bytes, std::string* reason);

  archive* archive_;
  archive_entry* entry_ = nullptr;  // the current member's header, owned by archive_
};
