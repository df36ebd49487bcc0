#pragma once

#include <cstdint>

// Loads the named file whole and checks it. Returns true iff it conforms;
// every failure has printed its one diagnostic by then.
bool checkFile(const char* path);

// Checks one loaded image: the steps after loading, with a fresh scratch
// buffer and memoryStream attached to the image.
bool checkImage(const std::uint8_t* image, std::uint32_t size);

// Prints the memory message (file-error form) and returns false.
bool reportMemoryFailure();
