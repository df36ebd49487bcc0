// SPDX-License-Identifier: MIT
#include "stream/memory_stream.h"

thread_local constinit MemoryStream memoryStream;
