#include "check/check_support.h"

#include "stream/field_readers.h"

bool readDeclaredData(std::uint32_t length, const char* shortDataMessage) {
  if (readBytes(length) == length) return true;
  if (scratchBuffer.exhausted()) return reportMemoryFailure();
  return reportError(shortDataMessage, lastOffset(), asSigned(length));
}

bool reportMemoryFailure() {
  return reportError("エラー: メモリの割り当てに失敗しました。\n");
}
