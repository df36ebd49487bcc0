// SPDX-License-Identifier: MIT
#include "check/check_file.h"

#include <cstring>

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

// The image's first `available` bytes are in its block, and arrive brings
// the rest as the check reaches it (null: all is there).
bool checkAttachedImage(const std::uint8_t* block, std::uint32_t size, std::uint32_t available,
                        MemoryStream::Arrival arrive, void* source, EventPath eventPath) {
  if (!scratchBuffer.create()) return reportMemoryFailure();
  memoryStream.attachArriving(block, size, available, arrive, source);
  FileState file;
  file.eventPath = eventPath;
  checkContext.file = &file;
  // Looking for findings, the steps may pass an error by: the verdict is
  // still the reference one.
  const bool passed = checkHeader(&file) && walkChunks(&file);
  checkContext.file = nullptr;
  scratchBuffer.release();
  return passed && !checkContext.errorFound;
}

// A file read into its block piece by piece while it is checked, each piece
// as the check reaches it.
struct ArrivingFile {
  FileHandle handle{};
  std::uint8_t* block = nullptr;
  std::uint32_t size = 0;
  std::uint32_t arrived = 0;  // the first bytes of the block that hold the file
  bool readFailed = false;
};

// Opens the named file and allocates its block. On a failure reports its
// file error, having let go of what it took, and returns false.
// REQUIRES: a sink in use for the file errors.
bool openWithBlock(const char* path, ArrivingFile* file) {
  if (!openFile(path, &file->handle)) return reportFileError<Code::openFailed>(path);
  if (!queryFileSize(file->handle, &file->size)) {
    closeFile(file->handle);
    return reportFileError<Code::sizeFailed>(path);
  }
  file->block = allocateImage(file->size);
  if (file->block == nullptr) {
    closeFile(file->handle);
    return reportMemoryFailure();
  }
  return true;
}

void letGo(const ArrivingFile& file) {
  freeImage(file.block);
  closeFile(file.handle);
}

// After a failed read the rest of the block is cleared and counts as
// arrived: the check runs on to its end on bytes whose diagnostics are never
// handed on.
void clearAfterFailedRead(ArrivingFile* file) {
  file->readFailed = true;
  std::memset(file->block + file->arrived, 0, file->size - file->arrived);
  file->arrived = file->size;
}

// Makes at least `wanted` bytes arrive (MemoryStream::Arrival): reads whole
// pieces.
std::uint32_t arriveUpTo(void* source, std::uint32_t wanted) {
  auto* file = static_cast<ArrivingFile*>(source);
  if (!readPieces(file->handle, file->block, file->size, wanted, &file->arrived)) {
    clearAfterFailedRead(file);
  }
  return file->arrived;
}

// REQUIRES: a sink in use for the file errors.
bool loadAndUse(const char* path, const ImageUse& use) {
  ArrivingFile file;
  if (!openWithBlock(path, &file)) return false;
  arriveUpTo(&file, file.size);
  const bool answer = !file.readFailed && use.use(use.context, file.block, file.size);
  letGo(file);
  if (file.readFailed) return reportFileError<Code::readFailed>(path);
  return answer;
}

// A diagnostic is handed on only once the whole file has been read (the
// first one reads the rest at once), and never after a failed read, whose
// error is then the file's only diagnostic, as it would be had the file been
// read before the check.
struct DiagnosticsOnceRead {
  ArrivingFile* file;
  DiagnosticSink sink;
};

void handOnOnceRead(void* context, const Diagnostic& diagnostic) {
  const auto& gate = *static_cast<DiagnosticsOnceRead*>(context);
  arriveUpTo(gate.file, gate.file->size);
  if (!gate.file->readFailed) gate.sink(diagnostic);
}

// REQUIRES: a sink in use for the file errors.
bool loadAndCheckWhileArriving(const char* path, EventPath eventPath) {
  ArrivingFile file;
  if (!openWithBlock(path, &file)) return false;
  bool conforms = false;
  arriveUpTo(&file, 1);  // the first piece
  if (!file.readFailed) {
    const DiagnosticSink sink = checkContext.sink;
    DiagnosticsOnceRead gate{&file, sink};
    checkContext.sink = DiagnosticSink{handOnOnceRead, &gate};
    conforms =
        checkAttachedImage(file.block, file.size, file.arrived, arriveUpTo, &file, eventPath);
    checkContext.sink = sink;
    // A check that ended early: the rest is read all the same, so that a
    // failing read is found.
    arriveUpTo(&file, file.size);
  }
  letGo(file);
  if (file.readFailed) return reportFileError<Code::readFailed>(path);
  return conforms;
}

}  // namespace

bool checkImage(const std::uint8_t* image, std::uint32_t size, const DiagnosticSink& sink,
                EventPath eventPath, CheckMode mode) {
  const SinkInUse inUse(sink, mode);
  return checkAttachedImage(image, size, size, nullptr, nullptr, eventPath);
}

bool checkArrivingImage(const std::uint8_t* block, std::uint32_t size, std::uint32_t available,
                        MemoryStream::Arrival arrive, void* source, const DiagnosticSink& sink,
                        EventPath eventPath) {
  const SinkInUse inUse(sink, CheckMode::reference);
  return checkAttachedImage(block, size, available, arrive, source, eventPath);
}

bool useFileImage(const char* path, const DiagnosticSink& sink, const ImageUse& use) {
  const SinkInUse inUse(sink, CheckMode::reference);
  return loadAndUse(path, use);
}

bool checkFile(const char* path, const DiagnosticSink& sink, CheckMode mode) {
  const SinkInUse inUse(sink, mode);
  return loadAndCheckWhileArriving(path, EventPath::fast);
}
