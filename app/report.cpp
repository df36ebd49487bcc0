// SPDX-License-Identifier: MIT
#include "app/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

// Whether a line failed to reach standard output or standard error since the
// last reportWriteFailures(). Only the exit status depends on it and only this
// unit sees every write, so it is kept here instead of being handed back
// through every check step that prints.
bool outputLost = false;
bool diagnosticsLost = false;

DiagnosticGate diagnosticGate = nullptr;
void* diagnosticGateContext = nullptr;

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

}  // namespace

PrintableName::PrintableName(const char* name) : text_(name) {
  std::size_t length = 0;
  bool safe = true;
  for (; name[length] != '\0'; ++length) safe = safe && !isControlByte(name[length]);
  if (safe) return;
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
  for (std::size_t i = 0; i < kept; ++i) copy[i] = isControlByte(name[i]) ? '?' : name[i];
  copy[kept] = '\0';
  text_ = copy;
}

PrintableName::~PrintableName() { std::free(allocated_); }

void printOutput(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (!writeLine(stdout, format, args)) outputLost = true;
  va_end(args);
}

void printDiagnostic(const char* format, ...) {
  if (diagnosticGate != nullptr && !diagnosticGate(diagnosticGateContext)) return;
  std::va_list args;
  va_start(args, format);
  if (!writeLine(stderr, format, args)) diagnosticsLost = true;
  va_end(args);
}

void setDiagnosticGate(DiagnosticGate gate, void* context) {
  diagnosticGate = gate;
  diagnosticGateContext = context;
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
