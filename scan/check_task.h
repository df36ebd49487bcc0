// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "scan/record.h"
#include "scan/walker.h"

// Checks one task with the library (loading its file first when it is one)
// and returns its record; the task's bytes are released. The exit status
// policy is not applied yet.
Record checkTask(Task* task, std::uint64_t maxSize);

// The record of a result from the library.
Record recordOfResult(const quelder_result* result);
