// SPDX-License-Identifier: MIT
#include "stream/memory_stream.h"

MemoryStream memoryStream;
