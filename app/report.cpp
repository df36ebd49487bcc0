#include "app/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

// Formats one line and writes it with a single write, flushed at once.
void writeLine(std::FILE* stream, const char* format, std::va_list args) {
  char small[512];
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  std::size_t size = length < 0 ? 0 : static_cast<std::size_t>(length);
  char* line = small;
  if (size >= sizeof small) {
    // Only a long file name makes a line this long; print it whole if we can.
    line = static_cast<char*>(std::malloc(size + 1));
    if (line != nullptr) {
      std::vsnprintf(line, size + 1, format, again);
    } else {
      line = small;
      size = sizeof small - 1;
    }
  }
  va_end(again);
  std::fwrite(line, 1, size, stream);
  std::fflush(stream);
  if (line != small) std::free(line);
}

}  // namespace

void printOutput(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  writeLine(stdout, format, args);
  va_end(args);
}

void printDiagnostic(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  writeLine(stderr, format, args);
  va_end(args);
}

bool reportError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  writeLine(stderr, format, args);
  va_end(args);
  return false;
}
