// SPDX-License-Identifier: MIT
// The floor under any checker of this design: for each file named, what
// checkFile does besides the check itself (open, learn the size, allocate
// the same block with the same advice, read the file into it in the same
// pieces, free, close) through the same functions, and nothing else.
// run_bench.sh times it beside quelder on the same files, so that the
// difference is the check.
#include <cstdint>

#include "platform/load_file.h"

namespace {

// The file read in the pieces a check reads it in.
bool readInPieces(FileHandle handle, std::uint8_t* image, std::uint32_t size) {
  std::uint32_t arrived = 0;
  return readPieces(handle, image, size, size, &arrived);
}

bool load(const char* path) {
  FileHandle handle;
  if (!openFile(path, &handle)) return false;
  std::uint32_t size = 0;
  std::uint8_t* image = nullptr;
  const bool loaded = queryFileSize(handle, &size) && (image = allocateImage(size)) != nullptr &&
                      readInPieces(handle, image, size);
  if (image != nullptr) freeImage(image);
  closeFile(handle);
  return loaded;
}

}  // namespace

// Exit status 1 when a file could not be loaded, so that a benchmark of the
// floor never times a failure.
int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (!load(argv[i])) status = 1;
  }
  return status;
}
