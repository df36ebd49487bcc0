// SPDX-License-Identifier: MIT
#include "platform/load_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

bool reserveStandardDescriptors(ClosedStreams* closed) {
  *closed = {};
  // open() takes the lowest free descriptor: going up from 0, that is the
  // closed one.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1) closed->output = true;
    if (fd == 2) closed->error = true;
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null != fd) {
      if (null >= 0) ::close(null);
      return false;
    }
  }
  return true;
}

bool openFile(const char* path, FileHandle* handle) {
  // Never block: a FIFO or a device must not hang the checker.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  // Only regular files hold an image to check. The lock stands in for a
  // no-sharing open and is held until closeFile. It is shared: readers never
  // refuse each other, so checkers run side by side, a reader needs no write
  // access for it (NFS emulates flock with byte-range locks), and a writer
  // that holds an exclusive lock still keeps the file from being checked.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  *handle = fd;
  return true;
}

bool queryFileSize(FileHandle handle, std::uint32_t* size) {
  struct stat info;
  if (::fstat(static_cast<int>(handle), &info) != 0) return false;
  if (info.st_size < 0 || info.st_size >= 0xFFFFFFFF) return false;
  *size = static_cast<std::uint32_t>(info.st_size);
  return true;
}

namespace {
// Reading a large file into fresh memory costs more in page faults than in
// copying: one fault per 4 KiB page. A block aligned to 2 MiB and advised for
// huge pages faults once per 2 MiB instead. Only whole huge pages are
// advised, so the block still takes no more memory than the file's size.
constexpr std::size_t kHugePage = 2 * 1024 * 1024;

std::uint8_t* allocateHugePageBlock(std::uint32_t size) {
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, size) != 0) return nullptr;
  ::madvise(block, size / kHugePage * kHugePage, MADV_HUGEPAGE);  // advice only
  return static_cast<std::uint8_t*>(block);
}
}  // namespace

std::uint8_t* allocateImage(std::uint32_t size) {
  if (size >= kHugePage) {
    if (std::uint8_t* block = allocateHugePageBlock(size)) return block;
    // The alignment costs up to 2 MiB of address space more; a plain block
    // may still fit where that does not.
  }
  // malloc(0) may answer null; an empty file still gets a block.
  return static_cast<std::uint8_t*>(std::malloc(size > 0 ? size : 1));
}

bool readNextBytes(FileHandle handle, std::uint8_t* at, std::uint32_t count) {
  const int fd = static_cast<int>(handle);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd, at + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the file shrank
    done += static_cast<std::uint32_t>(got);
  }
  return true;
}

void freeImage(std::uint8_t* block) { std::free(block); }

void closeFile(FileHandle handle) {
  ::close(static_cast<int>(handle));  // also drops the lock
}
