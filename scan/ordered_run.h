// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "scan/policy.h"
#include "scan/record.h"
#include "scan/walker.h"

struct RunSettings {
  unsigned jobs = 1;  // threads that load and check
  std::uint64_t maxSize = 0;
  const Policy* policy = nullptr;
};

// Called with each record in the order of the walk, one at a time.
using RecordSink = std::function<void(const Record&)>;

// Checks every task of the walk on settings.jobs threads and hands the
// records to sink in the walk's order, whatever order they finish in.
//
// Memory: each thread holds at most one file or member at a time (the walk
// reads a member for the thread that asked for it), so the bytes held are
// at most jobs x maxSize; records finished ahead of their turn wait, but at
// most kRecordWindow of them, after which threads wait for the turn to come.
void runOrdered(InputWalker* walker, const RunSettings& settings, const RecordSink& sink);

inline constexpr std::uint64_t kRecordWindow = 256;
