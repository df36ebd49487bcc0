// SPDX-License-Identifier: MIT
// Test helper of the Windows build: opens a file for reading and holds it
// until its standard input closes, so that a test can try to check a file
// that another process has open.
//
//   hold_open.exe share-none|share-all PATH
//
// Prints "held" once the file is open, or "failed" and exits with 1.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  DWORD share = 0;
  if (argc == 3 && std::strcmp(argv[1], "share-all") == 0) {
    share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  } else if (argc != 3 || std::strcmp(argv[1], "share-none") != 0) {
    std::fputs("usage: hold_open share-none|share-all PATH\n", stderr);
    return 2;
  }
  const HANDLE file = CreateFileA(argv[2], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fputs("failed\n", stdout);
    std::fflush(stdout);
    return 1;
  }
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  // The test lets go of the file by closing our standard input.
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char buffer[64];
  DWORD got = 0;
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  CloseHandle(file);
  return 0;
}
