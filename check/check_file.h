// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "check/check_state.h"

// Loads the named file whole and checks it. Returns true iff it conforms;
// every failure has printed its one diagnostic by then.
bool checkFile(const char* path);

// Checks one loaded image: the steps after loading, with a fresh scratch
// buffer and memoryStream attached to the image. The event path changes how
// fast the check runs, never what it prints or answers.
bool checkImage(const std::uint8_t* image, std::uint32_t size,
                EventPath eventPath = EventPath::fast);
