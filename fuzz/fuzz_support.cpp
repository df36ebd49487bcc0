// SPDX-License-Identifier: MIT
#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The three diagnostic forms, in the encoding of the build, like the core's.
constexpr std::string_view kWarningPrefix = "警告(";
constexpr std::string_view kErrorPrefix = "エラー(";
constexpr std::string_view kFileErrorPrefix = "エラー: ";

// The smallest input a warning consumes: an unknown meta event is a delta
// time, FF, its type and a length byte; an unknown chunk header is 8 bytes.
constexpr std::size_t kBytesPerWarning = 4;

bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The offset of a positional line: decimal digits, then "): ". False when
// the line does not have that shape.
bool parseOffset(std::string_view rest, long* offset) {
  std::size_t digits = 0;
  long value = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9' && digits < 10) {
    value = value * 10 + (rest[digits] - '0');
    ++digits;
  }
  if (digits == 0 || rest.substr(digits, 3) != "): ") return false;
  *offset = value;
  return true;
}

}  // namespace

MemoryFile::MemoryFile() {
  const int memory = memfd_create("quelder-fuzz-output", MFD_CLOEXEC);
  stream_ = memory >= 0 ? fdopen(memory, "w+") : nullptr;
  if (stream_ == nullptr) {
    std::perror("fuzz target: cannot make a memory file for the output");
    std::abort();
  }
}

std::string MemoryFile::take() {
  if (std::fflush(stream_) != 0) std::abort();
  const long written = std::ftell(stream_);
  std::string text(written > 0 ? static_cast<std::size_t>(written) : 0, '\0');
  if (!text.empty() && pread(fileno(stream_), text.data(), text.size(), 0) != written) {
    std::abort();
  }
  if (ftruncate(fileno(stream_), 0) != 0) std::abort();
  std::rewind(stream_);
  return text;
}

const char* shapeFault(std::string_view text, bool conforms, std::size_t size) {
  if (!text.empty() && text.back() != '\n') return "the last line has no line feed";
  if (text.find('\0') != std::string_view::npos) return "a NUL byte was printed";
  // Every offset is where a read that found data began, so it lies inside the
  // image; only an empty image reports offset 0 without one.
  const long offsetLimit = size > 0 ? static_cast<long>(size) : 1;
  std::size_t warnings = 0;
  std::size_t errors = 0;
  long lastWarningOffset = -1;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (errors > 0) return "a line follows the error line";
    long offset = 0;
    if (startsWith(line, kWarningPrefix)) {
      if (!parseOffset(line.substr(kWarningPrefix.size()), &offset)) {
        return "a warning line without an offset";
      }
      // Checking only moves forward and each warning consumes its bytes first.
      if (offset <= lastWarningOffset) return "warning offsets do not increase";
      lastWarningOffset = offset;
      ++warnings;
    } else if (startsWith(line, kErrorPrefix)) {
      if (!parseOffset(line.substr(kErrorPrefix.size()), &offset)) {
        return "an error line without an offset";
      }
      ++errors;
    } else if (startsWith(line, kFileErrorPrefix)) {
      ++errors;
    } else {
      return "a line that is neither a warning nor an error";
    }
    if (offset >= offsetLimit) return "an offset beyond the image";
  }
  if (warnings > size / kBytesPerWarning) return "more warnings than the image can hold";
  if (conforms != (errors == 0)) {
    return conforms ? "true despite an error line" : "false without an error line";
  }
  return nullptr;
}

void fail(const char* what, std::string_view text) {
  dprintf(STDERR_FILENO, "fuzz target: %s\n--- output (%zu bytes) ---\n", what, text.size());
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) {
    // Nothing better to do: the abort below reports the finding anyway.
  }
  dprintf(STDERR_FILENO, "--- end ---\n");
  std::abort();
}
