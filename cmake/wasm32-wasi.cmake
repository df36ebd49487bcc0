# SPDX-License-Identifier: MIT
# Cross-build for WebAssembly (wasm32-wasi) with clang and Debian's WASI
# sysroot under /usr (packages clang-14, lld-14, llvm-14, wasi-libc,
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

# wasm-ld links only archives with a symbol index, and only LLVM's archiver
# writes one for WebAssembly objects: GNU ar, which CMake takes when it finds
# no other, leaves it out. llvm-ar-14 and llvm-ranlib-14 come in llvm-14
# (clang-14 does not pull it in). Platform/WASI.cmake makes them CMAKE_AR and
# CMAKE_RANLIB on every configuration, over whatever an earlier one stored, so
# that a build directory configured before llvm-14 was installed takes them too.
find_program(QUELDER_LLVM_AR llvm-ar-14)
find_program(QUELDER_LLVM_RANLIB llvm-ranlib-14)
if(NOT QUELDER_LLVM_AR OR NOT QUELDER_LLVM_RANLIB)
  message(FATAL_ERROR "llvm-ar-14 and llvm-ranlib-14 not found: install llvm-14")
endif()
