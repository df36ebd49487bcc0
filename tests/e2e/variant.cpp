// SPDX-License-Identifier: MIT
// Compiled once per test binary, with the definitions of its variant.
#include "e2e/variant.h"

#include <cstdlib>

Variant variant() { return Variant::QUELDER_VARIANT; }
const char* bannerName() {
  // The Windows programs under Wine add .exe to the name of the native build.
  const char* name = std::getenv("QUELDER_BANNER_NAME");
  return name != nullptr && *name != '\0' ? name : QUELDER_BANNER_NAME;
}
const char* builtBinary() { return QUELDER_BINARY; }
