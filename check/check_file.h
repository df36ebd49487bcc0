// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "check/check_state.h"
#include "check/diagnostic.h"

// Loads the named file whole and checks it, handing every diagnostic to sink
// in the order found. Returns true iff it conforms.
bool checkFile(const char* path, const DiagnosticSink& sink);

// Checks one loaded image: the steps after loading, with a fresh scratch
// buffer and this thread's memoryStream attached to the image. The event path
// changes how fast the check runs, never what it finds or answers.
bool checkImage(const std::uint8_t* image, std::uint32_t size, const DiagnosticSink& sink,
                EventPath eventPath = EventPath::fast);
