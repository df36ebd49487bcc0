// SPDX-License-Identifier: MIT
// quelder-scan: the collection program. Checks files, directory trees,
// archives and path lists with the library, in parallel, and reports each
// file in input order as text, JSON Lines, CSV or SARIF, with an exit status
// for scripts and CI.
#include <clocale>
#include <cstdio>
#include <string>

#include "quelder/quelder.h"
#include "scan/messages.h"
#include "scan/options.h"
#include "scan/scan_command.h"

int main(int argc, char** argv) {
  // libarchive gives member names in the locale's encoding: UTF-8, whatever
  // the environment, so that a zip's UTF-8 names come through and a tar's
  // raw bytes stay as they are.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  ScanOptions options;
  std::string error;
  switch (parseOptions(argc, argv, &options, &error)) {
    case ParseOutcome::help: std::fputs(messages::help, stdout); return kAllConform;
    case ParseOutcome::version:
      std::printf(messages::versionFormat, QUELDER_SCAN_VERSION, quelder_version());
      return kAllConform;
    case ParseOutcome::usageError:
      std::fprintf(stderr, "%s: %s\n%s", messages::kProgram, error.c_str(), messages::tryHelp);
      return kTroubleStatus;
    case ParseOutcome::run: break;
  }
  return runScan(options);
}
