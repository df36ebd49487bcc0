// SPDX-License-Identifier: MIT
// libFuzzer target: the whole check of one in-memory image, and the shape of
// what it prints. Whatever the bytes, the diagnostics must keep the rules of
// shapeFault, and a second check of the same image, every event through the
// general steps this time, must print and answer the same, and locate each
// diagnostic in the same place (the event-run fast path agrees with them, and
// nothing survives from one file to the next); looking for findings too.
// Any violation aborts, so libFuzzer keeps the input.
//
// The checker writes its diagnostics through the C stream stderr, which is
// pointed at a memory file at start-up, read back and emptied after each
// check.
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/printed_diagnostics.h"
#include "check/check_file.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/collected_diagnostics.h"

namespace {

MemoryFile& capture() {
  static MemoryFile instance;
  return instance;
}

// Runs checkImage with the command-line programs' sink, standard error
// captured; returns what it printed.
std::string check(const std::uint8_t* image, std::uint32_t size, EventPath path, bool* conforms) {
  *conforms = checkImage(image, size, printingSink(), path);
  return capture().take();
}

// Every value of every diagnostic, their places in the music included.
CheckOutcome collect(const std::uint8_t* image, std::uint32_t size, EventPath path,
                     CheckMode mode = CheckMode::reference) {
  CheckOutcome outcome;
  outcome.conforms = checkImage(image, size, collectingSink(&outcome.diagnostics), path, mode);
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  stderr = capture().stream();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFEu) return -1;  // a file of 4 GiB never gets this far
  const auto size32 = static_cast<std::uint32_t>(size);
  bool conforms = false;
  const std::string text = check(data, size32, EventPath::fast, &conforms);
  if (const char* fault = shapeFault(text, conforms, size)) fail(fault, text);
  bool again = false;
  if (check(data, size32, EventPath::general, &again) != text || again != conforms) {
    fail("a second check of the same image, on the general path, differs", text);
  }
  if (!(collect(data, size32, EventPath::fast) == collect(data, size32, EventPath::general))) {
    fail("the fast and the general path locate a diagnostic differently", text);
  }
  if (!(collect(data, size32, EventPath::fast, CheckMode::findings) ==
        collect(data, size32, EventPath::general, CheckMode::findings))) {
    fail("looking for findings, the fast and the general path differ", text);
  }
  return 0;
}
