#include "app/file_driver.h"
#include "app/report.h"
#include "check/check_file.h"

namespace {
constexpr char kBanner[] =
    "Quelder version 1.00\n"
    "指定のファイルが、SMF規格1.0に適合するかを検証します。\n"
    "使い方:\n"
    "quelder.exe [検証するファイル名(複数可)]\n";
}  // namespace

// Every argument is a file name, even one that starts with a hyphen. The exit
// status is always 0: the verdict lines are the result.
int main(int argc, char** argv) {
  if (argc < 2) {
    printOutput("%s", kBanner);
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    checkBetweenLines(argv[i], [&] { return checkFile(argv[i]); });
  }
  return 0;
}
