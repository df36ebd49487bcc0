// SPDX-License-Identifier: MIT
#include "app/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether a line failed to reach standard output or standard error since the
// last reportWriteFailures(). Only the exit status depends on it and only this
// unit sees every write, so it is kept here instead of being handed back
// through every check step that prints.
bool outputLost = false;
bool diagnosticsLost = false;
// Streams that were closed when the program started: their lines go nowhere.
bool outputClosed = false;
bool diagnosticsClosed = false;

// Only a long file name makes a line this long. Without memory for it the
// stream formats the line itself: the same bytes, perhaps in more than one
// write.
bool writeLongLine(std::FILE* stream, std::size_t size, const char* format, std::va_list args) {
  char* line = static_cast<char*>(std::malloc(size + 1));
  if (line == nullptr) return std::vfprintf(stream, format, args) == static_cast<int>(size);
  std::vsnprintf(line, size + 1, format, args);
  const bool written = std::fwrite(line, 1, size, stream) == size;
  std::free(line);
  return written;
}

// Formats one line and writes it with a single write, flushed at once.
// Returns false when the stream did not take all of it.
bool writeLine(std::FILE* stream, const char* format, std::va_list args) {
  char small[512];
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  const std::size_t size = length < 0 ? 0 : static_cast<std::size_t>(length);
  const bool written = size < sizeof small ? std::fwrite(small, 1, size, stream) == size
                                           : writeLongLine(stream, size, format, again);
  va_end(again);
  return std::fflush(stream) == 0 && written;
}

// Bytes that end or overwrite a line or start a terminal escape sequence.
bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The same in UTF-8, and what some readers take for a line break besides:
// the C1 controls (NEL among them) and the line and paragraph separators.
bool isControlCharacter(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// A lead byte of a sequence of two to four bytes: its tag bits, the length
// and the least code point of that length (anything less is overlong).
struct LeadByte {
  unsigned char mask;
  unsigned char tag;
  std::size_t length;
  char32_t least;
};
constexpr LeadByte kLeadBytes[] = {
    {0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};

// The length of the well-formed UTF-8 sequence that starts at `at`, within
// `left` bytes, with its code point in *codePoint; 0 when none starts there.
std::size_t utf8Sequence(const unsigned char* at, std::size_t left, char32_t* codePoint) {
  if (at[0] < 0x80) {
    *codePoint = at[0];
    return 1;
  }
  for (const LeadByte& lead : kLeadBytes) {
    if ((at[0] & lead.mask) != lead.tag) continue;
    if (left < lead.length) return 0;
    char32_t value = at[0] & ~lead.mask;
    for (std::size_t i = 1; i < lead.length; ++i) {
      if ((at[i] & 0xC0) != 0x80) return 0;
      value = value << 6 | (at[i] & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < lead.least || value > 0x10FFFF || surrogate) return 0;
    *codePoint = value;
    return lead.length;
  }
  return 0;  // a continuation byte, or a byte that leads no sequence
}

// Beside texts in UTF-8, names are read as UTF-8; on Windows they come in
// the ANSI code page, so there, as beside CP932 texts, they are bytes.
bool namesAreUtf8() {
#ifdef _WIN32
  return false;
#else
  return textEncoding() == TextEncoding::utf8;
#endif
}

// The character of a name at `at`, within `left` bytes: its length, and
// whether it is echoed as itself or as one '?'.
struct NameCharacter {
  std::size_t length;
  bool asItself;
};

NameCharacter nameCharacter(const char* at, std::size_t left, bool utf8) {
  if (!utf8) return {1, !isControlByte(*at)};
  char32_t codePoint = 0;
  const std::size_t length =
      utf8Sequence(reinterpret_cast<const unsigned char*>(at), left, &codePoint);
  if (length == 0) return {1, false};  // each byte of what is not UTF-8
  return {length, !isControlCharacter(codePoint)};
}

bool echoedAsItself(const char* name, std::size_t length, bool utf8) {
  for (std::size_t at = 0; at < length;) {
    const NameCharacter c = nameCharacter(name + at, length - at, utf8);
    if (!c.asItself) return false;
    at += c.length;
  }
  return true;
}

// Writes the first `length` bytes of name as they are echoed to out, which
// never takes more than `length` bytes, and ends it with a NUL.
void writeEchoed(const char* name, std::size_t length, bool utf8, char* out) {
  for (std::size_t at = 0; at < length;) {
    const NameCharacter c = nameCharacter(name + at, length - at, utf8);
    if (c.asItself) {
      std::memcpy(out, name + at, c.length);
      out += c.length;
    } else {
      *out++ = '?';
    }
    at += c.length;
  }
  *out = '\0';
}

}  // namespace

PrintableName::PrintableName(const char* name) : text_(name) {
  const bool utf8 = namesAreUtf8();
  const std::size_t length = std::strlen(name);
  if (echoedAsItself(name, length, utf8)) return;
  char* copy = inline_;
  std::size_t kept = length;
  if (length >= sizeof inline_) {
    allocated_ = static_cast<char*>(std::malloc(length + 1));
    if (allocated_ != nullptr) {
      copy = allocated_;
    } else {
      kept = sizeof inline_ - 1;  // no memory for a long name: its start will do
    }
  }
  writeEchoed(name, kept, utf8, copy);
  text_ = copy;
}

PrintableName::~PrintableName() { std::free(allocated_); }

void printOutput(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (outputClosed || !writeLine(stdout, format, args)) outputLost = true;
  va_end(args);
}

void printDiagnostic(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (diagnosticsClosed || !writeLine(stderr, format, args)) diagnosticsLost = true;
  va_end(args);
}

void treatAsClosed(bool output, bool diagnostics) {
  outputClosed = output;
  diagnosticsClosed = diagnostics;
}

bool reportWriteFailures() {
  const bool lost = outputLost || diagnosticsLost;
  if (outputLost) {
    printDiagnostic(texts().outputLost);
  } else if (diagnosticsLost) {
    printDiagnostic(texts().diagnosticsLost);  // lost too, unless the failure has passed
  }
  outputLost = false;
  diagnosticsLost = false;
  return lost;
}
