// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <type_traits>

#include "app/texts.h"

// Every line the program prints goes through here, from the catalogue of
// app/texts.h: its formats take the arguments their type names and end with a
// line feed. Each line leaves the process in one write (short of memory for a
// very long one), so standard output and standard error interleave in the
// order they were produced even when both go to one place.

// A file name as it is echoed, for the %s of a line: each byte below 0x20 and
// the byte 0x7F shows as '?', as `ls -q` shows them, so that no name can add
// a line of its own, overwrite one or send the terminal an escape sequence.
// Every other byte, CP932 and UTF-8 included, passes unchanged. The file
// itself is still opened by its real name.
class PrintableName {
 public:
  explicit PrintableName(const char* name);
  ~PrintableName();
  PrintableName(const PrintableName&) = delete;
  PrintableName& operator=(const PrintableName&) = delete;

  const char* text() const { return text_; }

 private:
  const char* text_;  // the name itself when it needs no change
  char* allocated_ = nullptr;
  char inline_[4096];  // any path the system can open (PATH_MAX) fits here
};

// The writers under the forms below; format is a catalogue text.
void printOutput(const char* format, ...);
void printDiagnostic(const char* format, ...);

// While a gate is set, each diagnostic first calls gate(context): it is
// written when that answers true and dropped when it answers false. A file
// that is still being read holds its diagnostics back this way until the
// read has ended (check/check_file.cpp); null lifts the gate.
using DiagnosticGate = bool (*)(void* context);
void setDiagnosticGate(DiagnosticGate gate, void* context);

// Banner, progress and verdict lines: standard output.
template <typename... Args>
void printOutput(const Format<Args...>& format, std::type_identity_t<Args>... args) {
  printOutput(format.text, args...);
}

// Diagnostics: standard error.
template <typename... Args>
void printDiagnostic(const Format<Args...>& format, std::type_identity_t<Args>... args) {
  printDiagnostic(format.text, args...);
}

// Prints an error diagnostic and returns false, so that a failing step reads
// `return reportError(texts().openFailed, path);`.
template <typename... Args>
bool reportError(const Format<Args...>& format, std::type_identity_t<Args>... args) {
  printDiagnostic(format.text, args...);
  return false;
}

// After the last line: when a line could not be written since the previous
// call, says on standard error which stream lost it (standard output first)
// and returns true. The driver exits with status 1 then, and only then.
bool reportWriteFailures();

// Offsets and lengths are unsigned 32-bit counts printed as signed numbers.
inline int asSigned(std::uint32_t value) {
  return static_cast<int>(static_cast<std::int32_t>(value));
}
