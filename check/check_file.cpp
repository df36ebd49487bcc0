// SPDX-License-Identifier: MIT
#include "check/check_file.h"

#include "app/report.h"
#include "check/check_state.h"
#include "check/check_support.h"
#include "check/chunk_walk.h"
#include "check/header_check.h"
#include "platform/load_file.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

bool checkImage(const std::uint8_t* image, std::uint32_t size, EventPath eventPath) {
  if (!scratchBuffer.create()) return reportMemoryFailure();
  memoryStream.attach(image, size);
  FileState file;
  file.eventPath = eventPath;
  const bool conforms = checkHeader(&file) && walkChunks(&file);
  scratchBuffer.release();
  return conforms;
}

bool checkFile(const char* path) {
  FileHandle handle;
  if (!openFile(path, &handle)) return reportError(texts().openFailed, PrintableName(path).text());
  std::uint32_t size = 0;
  if (!queryFileSize(handle, &size)) {
    closeFile(handle);
    return reportError(texts().sizeFailed, PrintableName(path).text());
  }
  std::uint8_t* image = allocateImage(size);
  if (image == nullptr) {
    closeFile(handle);
    return reportMemoryFailure();
  }
  if (!readNextBytes(handle, image, size)) {
    freeImage(image);
    closeFile(handle);
    return reportError(texts().readFailed, PrintableName(path).text());
  }
  const bool conforms = checkImage(image, size);
  freeImage(image);
  closeFile(handle);
  return conforms;
}
