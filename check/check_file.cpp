// SPDX-License-Identifier: MIT
#include "check/check_file.h"

#include <cstring>

#include "app/report.h"
#include "check/check_state.h"
#include "check/check_support.h"
#include "check/chunk_walk.h"
#include "check/header_check.h"
#include "platform/load_file.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

// A file read into its block piece by piece while it is checked, each piece
// as the check reaches it.
struct ArrivingFile {
  FileHandle handle;
  std::uint8_t* block;
  std::uint32_t size;
  std::uint32_t arrived;  // the first bytes of the block that hold the file
  bool readFailed;
};

// After a failed read the rest of the block is cleared and counts as
// arrived: the check runs on to its end on bytes whose diagnostics are never
// printed.
void clearAfterFailedRead(ArrivingFile* file) {
  file->readFailed = true;
  std::memset(file->block + file->arrived, 0, file->size - file->arrived);
  file->arrived = file->size;
}

// Makes at least `wanted` bytes arrive (MemoryStream::Arrival): reads whole
// pieces.
std::uint32_t arriveUpTo(void* source, std::uint32_t wanted) {
  auto* file = static_cast<ArrivingFile*>(source);
  if (!readPieces(file->handle, file->block, file->size, wanted, &file->arrived))
    clearAfterFailedRead(file);
  return file->arrived;
}

// A diagnostic is printed only once the whole file has been read (the first
// one reads the rest at once), and never after a failed read, whose message
// is then the file's only diagnostic, as it would be had the file been read
// before the check.
bool readBeforeDiagnostic(void* source) {
  auto* file = static_cast<ArrivingFile*>(source);
  arriveUpTo(file, file->size);
  return !file->readFailed;
}

// Checks the file while it arrives; false after a failed read, printing
// nothing. *conforms is the check's answer.
bool checkWhileArriving(ArrivingFile* file, bool* conforms) {
  arriveUpTo(file, 1);  // the first piece
  if (file->readFailed) return false;
  setDiagnosticGate(readBeforeDiagnostic, file);
  *conforms = checkArrivingImage(file->block, file->size, file->arrived, arriveUpTo, file);
  setDiagnosticGate(nullptr, nullptr);
  // A check that ended early: the rest is read all the same, so that a
  // failing read is found.
  arriveUpTo(file, file->size);
  return !file->readFailed;
}

}  // namespace

bool checkImage(const std::uint8_t* image, std::uint32_t size, EventPath eventPath) {
  return checkArrivingImage(image, size, size, nullptr, nullptr, eventPath);
}

bool checkArrivingImage(const std::uint8_t* block, std::uint32_t size, std::uint32_t available,
                        MemoryStream::Arrival arrive, void* source, EventPath eventPath) {
  if (!scratchBuffer.create()) return reportMemoryFailure();
  memoryStream.attachArriving(block, size, available, arrive, source);
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
  ArrivingFile file{handle, image, size, 0, false};
  bool conforms = false;
  const bool read = checkWhileArriving(&file, &conforms);
  freeImage(image);
  closeFile(handle);
  if (!read) return reportError(texts().readFailed, PrintableName(path).text());
  return conforms;
}
