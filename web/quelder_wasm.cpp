// SPDX-License-Identifier: MIT
// The checker as a WebAssembly reactor, for web/quelder.mjs. The module hands
// in one file at a time: it reserves a block for the name and one for the
// image in this module's memory, copies them in and calls checkNamedImage,
// which prints what the command-line program prints for that file (progress
// line, diagnostics, verdict) through the same report functions. Standard
// output and standard error leave through WASI fd_write, the only way out.
#include <cstdint>
#include <cstdlib>

#include "app/file_driver.h"
#include "check/check_file.h"
#include "check/check_support.h"

extern "C" {

// A block of size bytes, or null when memory cannot grow that far. An empty
// image still gets a block, as on the command line.
__attribute__((export_name("reserve"))) void* reserve(std::uint32_t size) {
  return std::malloc(size > 0 ? size : 1);
}

// Checks the size bytes of image under name (NUL-terminated) and frees both
// blocks, so that nothing is held between files. A null image is one that
// could not be reserved: it draws the memory message, as on the command line.
// Returns 1 iff the file conforms.
__attribute__((export_name("checkNamedImage"))) int checkNamedImage(char* name, std::uint8_t* image,
                                                                    std::uint32_t size) {
  const bool conforms = checkBetweenLines(name, [&] {
    return image != nullptr ? checkImage(image, size, printingSink()) : reportMemoryFailure();
  });
  std::free(image);
  std::free(name);
  return conforms ? 1 : 0;
}

}  // extern "C"
