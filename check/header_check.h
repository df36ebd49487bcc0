// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"

// Checks the 14-byte header chunk at offset 0, field by field, and keeps
// format and declaredTracks in *file. On success the stream is at offset 14.
bool checkHeader(FileState* file);
