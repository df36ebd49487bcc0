// SPDX-License-Identifier: MIT
// The floor under quelder-scan on a collection: the same walk of the inputs
// (directories in sorted order, archives member by member) and the same
// loading of every file, in one thread, and no check, no record, no output.
// run_scan_bench.sh times it beside quelder-scan -j1, so that the difference
// is what checking and reporting cost.
//
//   collection_floor INPUT...
#include <cstdio>

#include "scan/file_load.h"
#include "scan/walker.h"

int main(int argc, char** argv) {
  WalkOptions options;
  options.maxSize = 256 * 1024 * 1024;
  InputWalker walker(std::vector<std::string>(argv + 1, argv + argc), options, stdin);
  Task task;
  unsigned long long files = 0;
  unsigned long long bytes = 0;
  while (walker.next(&task)) {
    if (task.kind == Task::Kind::file) {
      const LoadedFile loaded = loadFile(task.path.c_str(), options.maxSize);
      bytes += loaded.bytes.size();
    } else {
      bytes += task.bytes.size();
    }
    ++files;
  }
  // On standard error, so that the timed runs can throw it away with the
  // checker's output; a wrong count shows the floor read something else.
  std::fprintf(stderr, "%llu files, %llu bytes\n", files, bytes);
  return 0;
}
