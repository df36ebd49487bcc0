// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <type_traits>

#include "catalogue/texts.h"

// Every line the program prints goes through here, from the catalogue of
// catalogue/texts.h: its formats take the arguments their type names and end with a
// line feed. Each line leaves the process in one write (short of memory for a
// very long one), so standard output and standard error interleave in the
// order they were produced even when both go to one place.

// A file name as it is echoed, for the %s of a line: what could end or
// overwrite a line or send the terminal an escape sequence shows as '?', as
// `ls -q` shows it, so that no name can add a line of its own. Beside texts
// in CP932 that is each byte below 0x20 and the byte 0x7F; every other byte
// passes unchanged. Beside texts in UTF-8 (except on Windows, which hands a
// program its arguments in the ANSI code page whatever its texts) the name is
// read as UTF-8: each of U+0000-U+001F, U+007F, U+0080-U+009F (NEL among
// them), U+2028 and U+2029 shows as one '?', and so does each byte that does
// not begin a well-formed sequence (an overlong form, a surrogate, a sequence
// cut short, a stray continuation byte); every other character passes
// unchanged. What is printed is then well-formed UTF-8 in which no reader
// finds a line break. The file itself is still opened by its real name.
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

// Says which standard streams were closed when the program started (their
// descriptors now lead to the null device): from then on each line meant for
// one of them counts as lost, as one that the stream refused would.
void treatAsClosed(bool output, bool diagnostics);

// After the last line: when a line could not be written since the previous
// call, says on standard error which stream lost it (standard output first)
// and returns true. The driver exits with status 1 then, and only then.
bool reportWriteFailures();
