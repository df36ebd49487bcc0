// SPDX-License-Identifier: MIT
#include "platform/load_file.h"

#include <windows.h>

namespace {

HANDLE toHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// CreateFileA hands out handles, never the C runtime's descriptors 0 to 2.
// The C runtime refuses writes to a standard stream that has no handle, and
// a refused line counts as lost already: none is reported closed.
bool reserveStandardDescriptors(ClosedStreams* closed) {
  *closed = {};
  return true;
}

bool openFile(const char* path, FileHandle* handle) {
  // Share mode 0: while we hold the file nobody else can open it, and a file
  // that someone else holds cannot be opened here.
  const HANDLE file =
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Only disk files hold an image to check; reading a console, a pipe or NUL
  // could wait forever or mean nothing.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  *handle = reinterpret_cast<FileHandle>(file);
  return true;
}

bool queryFileSize(FileHandle handle, std::uint32_t* size) {
  // The whole 64-bit size, so that a file of 4 GiB or more is refused rather
  // than checked as its low 32 bits. 0xFFFFFFFF itself is the old failure
  // value and is refused too.
  LARGE_INTEGER full;
  if (!GetFileSizeEx(toHandle(handle), &full)) return false;
  if (full.QuadPart < 0 || full.QuadPart >= 0xFFFFFFFFLL) return false;
  *size = static_cast<std::uint32_t>(full.QuadPart);
  return true;
}

std::uint8_t* allocateImage(std::uint32_t size) {
  void* block = GlobalAlloc(GMEM_FIXED, size);
  // A fixed block of 0 bytes is a valid block on Windows and Wine; should a
  // system answer null for it, an empty file still must not read as an
  // allocation failure.
  if (block == nullptr && size == 0) block = GlobalAlloc(GMEM_FIXED, 1);
  return static_cast<std::uint8_t*>(block);
}

bool readNextBytes(FileHandle handle, std::uint8_t* at, std::uint32_t count) {
  // One call for the piece. The exclusive open keeps the file from changing
  // meanwhile, so fewer bytes than asked for is a failure too.
  DWORD got = 0;
  if (!ReadFile(toHandle(handle), at, count, &got, nullptr)) return false;
  return got == count;
}

void freeImage(std::uint8_t* block) { GlobalFree(block); }

void closeFile(FileHandle handle) { CloseHandle(toHandle(handle)); }
