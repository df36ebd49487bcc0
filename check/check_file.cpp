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
  SinkInUse(const DiagnosticSink& sink, CheckMode mode) {
    checkContext = CheckContext{sink};
    checkContext.findings = mode == CheckMode::findings;
  }
  ~SinkInUse() { checkContext = CheckContext{}; }
  SinkInUse(const SinkInUse&) = delete;
  SinkInUse& operator=(const SinkInUse&) = delete;
};

bool checkAttachedImage(const std::uint8_t* image, std::uint32_t size, EventPath eventPath) {
  if (!scratchBuffer.create()) return reportMemoryFailure();
  memoryStream.attach(image, size);
  FileState file;
  file.eventPath = checkContext.findings ? EventPath::general : eventPath;
  checkContext.file = &file;
  // Looking for findings, the steps may pass an error by: the verdict is
  // still the reference one.
  const bool passed = checkHeader(&file) && walkChunks(&file);
  checkContext.file = nullptr;
  scratchBuffer.release();
  return passed && !checkContext.errorFound;
}

// REQUIRES: a sink in use for the file errors.
bool loadAndUse(const char* path, const ImageUse& use) {
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
  const bool answer = use.use(use.context, image, size);
  freeImage(image);
  closeFile(handle);
  return answer;
}

struct ImageCheck {
  const DiagnosticSink* sink;
  CheckMode mode;
};

bool checkLoadedImage(void* context, const std::uint8_t* image, std::uint32_t size) {
  const ImageCheck& check = *static_cast<ImageCheck*>(context);
  return checkImage(image, size, *check.sink, EventPath::fast, check.mode);
}

}  // namespace

bool checkImage(const std::uint8_t* image, std::uint32_t size, const DiagnosticSink& sink,
                EventPath eventPath, CheckMode mode) {
  const SinkInUse inUse(sink, mode);
  return checkAttachedImage(image, size, eventPath);
}

bool useFileImage(const char* path, const DiagnosticSink& sink, const ImageUse& use) {
  const SinkInUse inUse(sink, CheckMode::reference);
  return loadAndUse(path, use);
}

bool checkFile(const char* path, const DiagnosticSink& sink, CheckMode mode) {
  ImageCheck check{&sink, mode};
  return useFileImage(path, sink, ImageUse{checkLoadedImage, &check});
}
