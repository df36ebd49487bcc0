// SPDX-License-Identifier: MIT
#include "scan/file_load.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "scan/messages.h"

namespace {

// Offsets in diagnostics are 32-bit: from this size on, the reference program
// cannot size a file.
constexpr std::uint64_t kUnsizedFile = 0xFFFFFFFF;

// Opens as the reference program does: no blocking on a FIFO, only regular
// files, and a shared lock that a writer's exclusive lock refuses. Sets
// *size to the file's size.
int openForCheck(const char* path, std::uint64_t* size, const char** reason) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *reason = systemReason(errno);
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    *reason = systemReason(errno);
  } else if (!S_ISREG(info.st_mode)) {
    *reason = messages::notRegularFile;
  } else if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    *reason = errno == EWOULDBLOCK ? messages::lockedByWriter : systemReason(errno);
  } else {
    *size = static_cast<std::uint64_t>(info.st_size);
    return fd;
  }
  ::close(fd);
  return -1;
}

// Reads exactly size bytes from the start; false on an error or an early end.
bool readAll(int fd, std::uint8_t* block, std::uint64_t size, const char** reason) {
  std::uint64_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, block + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *reason = got < 0 ? systemReason(errno) : messages::fileShrank;
      return false;
    }
    done += static_cast<std::uint64_t>(got);
  }
  return true;
}

}  // namespace

LoadedFile loadFile(const char* path, std::uint64_t maxSize) {
  LoadedFile result;
  const int fd = openForCheck(path, &result.size, &result.reason);
  if (fd < 0) {
    result.failure = LoadFailure::open;
    return result;
  }
  if (result.size >= kUnsizedFile) {
    result.failure = LoadFailure::size;
  } else if (result.size > maxSize) {
    result.failure = LoadFailure::tooLarge;
  } else if (!result.bytes.reserve(result.size)) {
    result.failure = LoadFailure::memory;
  } else if (!readAll(fd, result.bytes.data(), result.size, &result.reason)) {
    result.failure = LoadFailure::read;
    result.bytes.release();
  } else {
    result.bytes.setSize(result.size);
  }
  ::close(fd);
  return result;
}
