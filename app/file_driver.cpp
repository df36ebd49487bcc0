#include "app/file_driver.h"

#include "app/report.h"

namespace {
constexpr char kProgress[] = "%sが、SMF規格1.0に適合しているかを検証します:\n";
constexpr char kConforms[] = "検証結果: %sは、SMF規格1.0に適合しています。\n";
constexpr char kDoesNotConform[] = "検証結果: %sは、SMF規格1.0に適合していません。\n";
}  // namespace

void printProgress(const char* printableName) { printOutput(kProgress, printableName); }

void printVerdict(const char* printableName, bool conforms) {
  printOutput(conforms ? kConforms : kDoesNotConform, printableName);
}
