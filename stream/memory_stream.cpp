#include "stream/memory_stream.h"

MemoryStream memoryStream;
