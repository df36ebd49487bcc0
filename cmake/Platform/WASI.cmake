# SPDX-License-Identifier: MIT
# WASI, for cmake/wasm32-wasi.cmake: CMake ships no platform file for it.
# Programs are static WebAssembly modules.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
# LLVM's archiver, which the toolchain file found: read after the compiler's
# stored settings, so it replaces an archiver they hold from a configuration
# made without it.
set(CMAKE_AR ${QUELDER_LLVM_AR})
set(CMAKE_RANLIB ${QUELDER_LLVM_RANLIB})
