#include "check/check_support.h"

#include "check/check_file.h"
#include "stream/field_readers.h"

bool readDeclaredData(std::uint32_t length, const char* shortDataMessage) {
  if (readBytes(length) == length) return true;
  if (scratchBuffer.exhausted()) return reportMemoryFailure();
  return reportError(shortDataMessage, lastOffset(), asSigned(length));
}
