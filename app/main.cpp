#include "app/file_driver.h"
#include "app/report.h"
#include "check/check_file.h"
#include "platform/load_file.h"

namespace {
constexpr char kBanner[] =
    "Quelder version 1.00\n"
    "指定のファイルが、SMF規格1.0に適合するかを検証します。\n"
    "使い方:\n"
    "quelder.exe [検証するファイル名(複数可)]\n";
}  // namespace

// Every argument is a file name, even one that starts with a hyphen. The exit
// status is 0 whatever the verdicts: the verdict lines are the result. It is 1
// only when a line could not be written, so that lost verdicts never pass for
// a clean run.
int main(int argc, char** argv) {
  // Otherwise a closed standard descriptor goes to the first file opened.
  if (!reserveStandardDescriptors()) return 1;
  if (argc < 2) printOutput("%s", kBanner);
  for (int i = 1; i < argc; ++i) {
    checkBetweenLines(argv[i], [&] { return checkFile(argv[i]); });
  }
  return reportWriteFailures() ? 1 : 0;
}
