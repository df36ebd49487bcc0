#pragma once

#include <cstdint>

// Every line the program prints goes through here. Format strings use %d,
// %s and %2X only and end with a line feed. Each line leaves the process in
// one write, so standard output and standard error interleave in the order
// they were produced even when both go to one place.

// Banner, progress and verdict lines: standard output.
void printOutput(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// Diagnostics: standard error.
void printDiagnostic(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// Prints an error diagnostic and returns false, so that a failing check step
// reads `return reportError(kMessage, offset);`.
bool reportError(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// Offsets and lengths are unsigned 32-bit counts printed as signed numbers.
inline int asSigned(std::uint32_t value) {
  return static_cast<int>(static_cast<std::int32_t>(value));
}
