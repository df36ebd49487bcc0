// SPDX-License-Identifier: MIT
#include "app/file_driver.h"

#include "app/report.h"
#include "catalogue/texts.h"

void printProgress(const char* printableName) { printOutput(texts().progress, printableName); }

void printVerdict(const char* printableName, bool conforms) {
  printOutput(conforms ? texts().conforms : texts().doesNotConform, printableName);
}
