// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"

// Walks the chunks from offset 14 to the end of the image: tracks are checked
// and counted, unknown chunks warned about and skipped. At the end compares
// the count of track chunks with the header's. True iff the file conforms.
bool walkChunks(FileState* file);
