// SPDX-License-Identifier: MIT
#include "app/file_driver.h"
#include "app/printed_diagnostics.h"
#include "app/report.h"
#include "catalogue/texts.h"
#include "check/check_file.h"
#include "platform/load_file.h"

// Every argument is a file name, even one that starts with a hyphen. The exit
// status is 0 whatever the verdicts: the verdict lines are the result. It is 1
// only when a line could not be written, so that lost verdicts never pass for
// a clean run.
int main(int argc, char** argv) {
  // Otherwise a closed standard descriptor goes to the first file opened.
  if (!reserveStandardDescriptors()) return 1;
  // The build names the program as it is installed.
  if (argc < 2) printOutput(texts().banner, QUELDER_PROGRAM_NAME);
  for (int i = 1; i < argc; ++i) {
    checkBetweenLines(argv[i], [&] { return checkFile(argv[i], printingSink()); });
  }
  return reportWriteFailures() ? 1 : 0;
}
