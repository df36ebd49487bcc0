// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"
#include "check/diagnostic.h"

// What the steps of the check running on this thread share besides the
// stream: where diagnostics go, the file and track they concern, and whether
// the check looks for findings. Each thread has its own, so that any number
// of files are checked at once.
struct CheckContext {
  DiagnosticSink sink;
  const FileState* file = nullptr;
  const TrackState* track = nullptr;  // null outside a track chunk
  // Only the library looks for findings: the rules beyond the reference ones
  // are examined, and the check goes on past an error that leaves the parse
  // position sound (see goesOnAfter in check/check_support.cpp).
  bool findings = false;
  bool errorFound = false;  // an error or file error has been reported
};

extern thread_local constinit CheckContext checkContext;
