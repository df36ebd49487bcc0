// SPDX-License-Identifier: MIT
#include "scan/archive_members.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>

#include "scan/messages.h"

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

std::string errorOf(archive* archive) {
  const char* text = archive_error_string(archive);
  return text != nullptr ? text : messages::archiveUnreadable;
}

// Names as stored, in UTF-8 where the archive says what they are in.
std::string nameOf(archive_entry* entry) {
  const char* name = archive_entry_pathname_utf8(entry);
  if (name == nullptr) name = archive_entry_pathname(entry);
  return name != nullptr ? name : "";
}

}  // namespace

ArchiveMembers::ArchiveMembers() : archive_(archive_read_new()) {
  if (archive_ == nullptr) return;
  archive_read_support_filter_all(archive_);
  archive_read_support_format_tar(archive_);
  archive_read_support_format_zip(archive_);
}

ArchiveMembers::~ArchiveMembers() {
  if (archive_ != nullptr) archive_read_free(archive_);
}

bool ArchiveMembers::open(const char* path, std::string* reason) {
  if (archive_ == nullptr) {
    *reason = messages::outOfMemory;
    return false;
  }
  if (archive_read_open_filename(archive_, path, kBlockSize) != ARCHIVE_OK) {
    // libarchive names the file; the system says why it could not open it.
    const int error = archive_errno(archive_);
    *reason = error > 0 ? systemReason(error) : errorOf(archive_);
    return false;
  }
  return true;
}

ArchiveMembers::Entry ArchiveMembers::next(std::string* name, std::string* reason) {
  for (;;) {
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(archive_, &entry);
    if (status == ARCHIVE_EOF) return Entry::end;
    // A warning (an attribute it cannot restore, say) leaves the member readable.
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
      *reason = errorOf(archive_);
      return Entry::failed;
    }
    if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr) {
      continue;
    }
    entry_ = entry;
    *name = nameOf(entry);
    return Entry::member;
  }
}

ArchiveMembers::Data ArchiveMembers::read(std::uint64_t maxSize, ByteBuffer* bytes,
                                          std::uint64_t* size, std::string* reason) {
  bytes->release();
  const bool declaresSize = archive_entry_size_is_set(entry_) != 0;
  const auto declared =
      static_cast<std::uint64_t>(std::max<la_int64_t>(archive_entry_size(entry_), 0));
  if (declaresSize && declared > maxSize) {
    *size = declared;
    return Data::tooLarge;
  }
  // A declared size may lie; the buffer grows past it when the data does.
  if (!bytes->reserve(declaresSize ? declared : std::min<std::uint64_t>(maxSize, kBlockSize))) {
    return Data::noMemory;
  }
  const Data data = fill(maxSize, bytes, reason);
  *size = data == Data::tooLarge ? maxSize + 1 : bytes->size();
  return data;
}

// Reads the member's data into bytes, growing it as needed up to maxSize
// bytes. A full buffer is not grown until the data is known to go on: a
// small read decides, so that a member of the size it declares is read with
// no copy.
ArchiveMembers::Data ArchiveMembers::fill(std::uint64_t maxSize, ByteBuffer* bytes,
                                          std::string* reason) {
  for (;;) {
    if (bytes->size() < bytes->capacity()) {
      const la_ssize_t got = archive_read_data(archive_, bytes->data() + bytes->size(),
                                               bytes->capacity() - bytes->size());
      if (got < 0) {
        *reason = errorOf(archive_);
        return Data::failed;
      }
      if (got == 0) return Data::read;
      bytes->setSize(bytes->size() + static_cast<std::size_t>(got));
      continue;
    }
    std::uint8_t probe[4096];
    const la_ssize_t got = archive_read_data(archive_, probe, sizeof probe);
    if (got < 0) {
      *reason = errorOf(archive_);
      return Data::failed;
    }
    if (got == 0) return Data::read;
    const std::uint64_t needed = bytes->size() + static_cast<std::uint64_t>(got);
    if (needed > maxSize) return Data::tooLarge;
    const std::uint64_t grown = std::min(std::max(needed, 2 * bytes->capacity()), maxSize);
    if (!bytes->reserve(grown)) return Data::noMemory;
    std::copy(probe, probe + got, bytes->data() + bytes->size());
    bytes->setSize(needed);
  }
}
