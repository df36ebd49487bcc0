// SPDX-License-Identifier: MIT
#pragma once

// What the fuzz targets share: a memory file for the C streams to write to,
// the rules every check's diagnostics obey, and the way a finding is reported.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// A memory file that stdout or stderr can be pointed at. libFuzzer keeps the
// streams it took at its own start-up and the sanitizers write to descriptor
// 2 directly, so their reports still reach the real standard error.
class MemoryFile {
 public:
  MemoryFile();  // aborts when no memory file can be made

  std::FILE* stream() const { return stream_; }
  // Everything written since the last take(); empties the file.
  std::string take();

 private:
  std::FILE* stream_ = nullptr;
};

// Why the diagnostics of one check break the rules of their shape, or null
// when they keep them: zero or more warnings with increasing offsets, then at
// most one error, each line ending with a line feed, no NUL, every offset
// inside the image of size bytes, and conforms true iff there is no error.
const char* shapeFault(std::string_view diagnostics, bool conforms, std::size_t size);

// Prints what broke and the text concerned to descriptor 2 and aborts, so
// that libFuzzer keeps the input.
[[noreturn]] void fail(const char* what, std::string_view text);
