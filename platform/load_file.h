#pragma once

#include <cstdint>

// The file services a check needs: open one file exclusively for reading,
// learn its size, hold it in one block and read it whole. Each step fails on
// its own, so the caller can tell the four failures apart.

using FileHandle = std::intptr_t;

// Opens an existing regular file for reading, held so that no other checker
// can have it at the same time. False for anything that cannot be checked.
bool openFile(const char* path, FileHandle* handle);

// False when the size is unknown or does not fit a 32-bit offset below
// 0xFFFFFFFF (offsets in diagnostics are 32-bit).
bool queryFileSize(FileHandle handle, std::uint32_t* size);

// One block of exactly size bytes (a valid block for size 0), or null.
std::uint8_t* allocateImage(std::uint32_t size);

// Reads the file from its start into block; false on an error or when fewer
// than size bytes arrive.
bool readWholeFile(FileHandle handle, std::uint8_t* block, std::uint32_t size);

void freeImage(std::uint8_t* block);
void closeFile(FileHandle handle);
