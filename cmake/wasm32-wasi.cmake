# SPDX-License-Identifier: MIT
# Cross-build for WebAssembly (wasm32-wasi) with clang and Debian's WASI
# sysroot under /usr (packages clang-14, lld-14, wasi-libc,
# libc++-14-dev-wasm32, libc++abi-14-dev-wasm32, libclang-rt-14-dev-wasm32):
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake
# builds the page in build-web/web/ and nothing else.
set(CMAKE_SYSTEM_NAME WASI)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT /usr)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
