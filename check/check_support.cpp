// SPDX-License-Identifier: MIT
#include "check/check_support.h"

#include "stream/field_readers.h"

bool readDeclaredData(std::uint32_t length, const Format<int, int>& shortData) {
  if (readBytes(length) == length) return true;
  if (scratchBuffer.exhausted()) return reportMemoryFailure();
  return reportAtLastRead(shortData, asSigned(length));
}

bool reportMemoryFailure() { return reportError(texts().memoryFailed); }
