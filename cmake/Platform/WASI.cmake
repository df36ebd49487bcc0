# SPDX-License-Identifier: MIT
# WASI, for cmake/wasm32-wasi.cmake: CMake ships no platform file for it.
# Programs are static WebAssembly modules.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
