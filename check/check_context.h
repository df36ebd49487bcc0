// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"
#include "check/diagnostic.h"

// What the steps of the check running on this thread share besides the
// stream: where diagnostics go, and the file and track they concern. Each
// thread has its own, so that any number of files are checked at once.
struct CheckContext {
  DiagnosticSink sink;
  const FileState* file = nullptr;
  const TrackState* track = nullptr;  // null outside a track chunk
};

extern thread_local constinit CheckContext checkContext;
