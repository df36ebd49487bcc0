// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The file services a check needs: open one file for reading, held against
// writers, learn its size, hold it in one block and read it into the block.
// Each step fails on its own, so the caller can tell the four failures apart.

using FileHandle = std::intptr_t;

// Call once at start-up, before any openFile. Opens the null device on each
// of the standard descriptors 0, 1 and 2 that is closed, so that no file
// opened later takes one of them and is read or written as a standard
// stream. False when one stays closed.
bool reserveStandardDescriptors();

// Opens an existing regular file for reading, held so that no writer can
// have it at the same time; on POSIX other readers, checkers included, may
// (Windows shares it with nobody). False for anything that cannot be checked,
// and for a file held against it.
bool openFile(const char* path, FileHandle* handle);

// False when the size is unknown or does not fit a 32-bit offset below
// 0xFFFFFFFF (offsets in diagnostics are 32-bit).
bool queryFileSize(FileHandle handle, std::uint32_t* size);

// One block of exactly size bytes (a valid block for size 0), or null.
std::uint8_t* allocateImage(std::uint32_t size);

// Reads the next count bytes of the file, from where the previous read
// stopped (its start, for the first), to `at`; false on an error or when
// fewer than count bytes arrive.
bool readNextBytes(FileHandle handle, std::uint8_t* at, std::uint32_t count);

void freeImage(std::uint8_t* block);
void closeFile(FileHandle handle);
