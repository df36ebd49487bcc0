// SPDX-License-Identifier: MIT
#include "check/check_file.h"

#include "check/check_context.h"
#include "check/check_state.h"
#include "check/check_support.h"
#include "check/chunk_walk.h"
#include "check/header_check.h"
#include "platform/load_file.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

// Makes sink this thread's for one check, and forgets it afterwards.
class SinkInUse {
 public:
  explicit SinkInUse(const DiagnosticSink& sink) { checkContext = CheckContext{sink}; }
  ~SinkInUse() { checkContext = CheckContext{}; }
  SinkInUse(const SinkInUse&) = delete;
  SinkInUse& operator=(const SinkInUse&) = delete;
};

bool checkAttachedImage(const std::uint8_t* image, std::uint32_t size, EventPath eventPath) {
  if (!scratchBuffer.create()) return reportMemoryFailure();
  memoryStream.attach(image, size);
  FileState file;
  file.eventPath = eventPath;
  checkContext.file = &file;
  const bool conforms = checkHeader(&file) && walkChunks(&file);
  checkContext.file = nullptr;
  scratchBuffer.release();
  return conforms;
}

bool loadAndCheck(const char* path) {
  FileHandle handle;
  if (!openFile(path, &handle)) return reportFileError<Code::openFailed>(path);
  std::uint32_t size = 0;
  if (!queryFileSize(handle, &size)) {
    closeFile(handle);
    return reportFileError<Code::sizeFailed>(path);
  }
  std::uint8_t* image = allocateImage(size);
  if (image == nullptr) {
    closeFile(handle);
    return reportMemoryFailure();
  }
  if (!readWholeFile(handle, image, size)) {
    freeImage(image);
    closeFile(handle);
    return reportFileError<Code::readFailed>(path);
  }
  const bool conforms = checkAttachedImage(image, size, EventPath::fast);
  freeImage(image);
  closeFile(handle);
  return conforms;
}

}  // namespace

bool checkImage(const std::uint8_t* image, std::uint32_t size, const DiagnosticSink& sink,
                EventPath eventPath) {
  const SinkInUse inUse(sink);
  return checkAttachedImage(image, size, eventPath);
}

bool checkFile(const char* path, const DiagnosticSink& sink) {
  const SinkInUse inUse(sink);
  return loadAndCheck(path);
}
