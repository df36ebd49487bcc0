// SPDX-License-Identifier: MIT
#include "scan/scan_command.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "scan/baseline.h"
#include "scan/messages.h"
#include "scan/ordered_run.h"
#include "scan/output.h"
#include "scan/policy.h"
#include "scan/progress.h"
#include "scan/summary.h"
#include "scan/walker.h"

namespace {

void printError(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", messages::kProgram, what.c_str());
}

bool isTerminal(std::FILE* stream) {
  const char* term = std::getenv("TERM");
  return ::isatty(::fileno(stream)) == 1 && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

bool wantsColour(const ScanOptions& options) {
  if (options.format != OutputFormat::text || options.color == ColorChoice::never) return false;
  if (options.color == ColorChoice::always) return true;
  const char* noColour = std::getenv("NO_COLOR");
  return isTerminal(stdout) && (noColour == nullptr || noColour[0] == '\0');
}

// The cores this process may run on.
unsigned coreCount() {
  cpu_set_t cores;
  if (::sched_getaffinity(0, sizeof cores, &cores) == 0) return CPU_COUNT(&cores);
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? count : 1;
}

WalkOptions walkOptionsOf(const ScanOptions& options) {
  WalkOptions walk;
  walk.followSymlinks = options.followSymlinks;
  walk.allFiles = options.allFiles;
  walk.nullSeparated = options.nullSeparated;
  walk.maxSize = options.maxSize;
  return walk;
}

// Counts the files of a walk without reading them, for the time left; 0
// when it cannot know (a path list, an archive) or when told to stop.
std::uint64_t countFiles(const ScanOptions& options, const std::atomic<bool>& stop) {
  for (const std::string& input : options.inputs) {
    if (input == "-") return 0;
  }
  WalkOptions walk = walkOptionsOf(options);
  walk.openArchives = false;
  InputWalker walker(options.inputs, walk, nullptr);
  std::uint64_t count = 0;
  Task task;
  while (walker.next(&task)) {
    if (task.kind == Task::Kind::archive || stop.load(std::memory_order_relaxed)) return 0;
    ++count;
  }
  return count;
}

void addToBaseline(const Record& record, Baseline* baseline) {
  if (record.inputError) return;
  for (const auto* list : {&record.diagnostics, &record.findings}) {
    for (const Diagnostic& diagnostic : *list) {
      if (diagnostic.suppression != Suppression::ignored) {
        baseline->add(diagnostic.code, record.path, record.member);
      }
    }
  }
}

int exitStatusOf(const Summary& summary) {
  if (summary.unreadable() > 0) return kTroubleStatus;
  return summary.failing() > 0 ? kSomeFail : kAllConform;
}

}  // namespace

int runScan(const ScanOptions& options) {
  Baseline accepted;
  std::string error;
  if (!options.baselinePath.empty() && !accepted.load(options.baselinePath.c_str(), &error)) {
    printError(messages::cannotReadBaseline + options.baselinePath + ": " + error);
    return kTroubleStatus;
  }
  Policy policy;
  policy.failOnWarning = options.failOnWarning;
  policy.strict = options.strict;
  policy.ignoredCodes.insert(options.ignoredCodes.begin(), options.ignoredCodes.end());
  if (!options.baselinePath.empty()) policy.baseline = &accepted;

  const bool stdoutIsTerminal = isTerminal(stdout);
  Progress progress(options.progress && isTerminal(stderr) ? stderr : nullptr);
  std::atomic<bool> stopCounting{false};
  std::thread counter;
  if (progress.enabled()) {
    counter = std::thread([&] { progress.setTotal(countFiles(options, stopCounting)); });
  }

  Output output(options, stdout, wantsColour(options), stdoutIsTerminal);
  Summary summary;
  Baseline found;
  const bool writeBaseline = !options.writeBaselinePath.empty();
  output.start();
  InputWalker walker(options.inputs, walkOptionsOf(options), stdin);
  RunSettings settings;
  settings.jobs = options.jobs > 0 ? options.jobs : coreCount();
  settings.maxSize = options.maxSize;
  settings.policy = &policy;
  runOrdered(&walker, settings, [&](const Record& record) {
    if (stdoutIsTerminal) progress.erase();
    output.write(record);
    summary.add(record);
    if (writeBaseline) addToBaseline(record, &found);
    progress.recordDone();
  });
  stopCounting = true;
  if (counter.joinable()) counter.join();
  progress.finish();

  int status = exitStatusOf(summary);
  output.finish(status, status != kTroubleStatus);
  if (options.summary) {
    std::string text;
    summary.appendText(&text);
    if (options.format == OutputFormat::text) {
      output.writeText(text);
    } else {
      std::fputs(text.c_str(), stderr);
    }
  }
  if (writeBaseline && !found.write(options.writeBaselinePath.c_str(), &error)) {
    printError(messages::cannotWriteBaseline + options.writeBaselinePath + ": " + error);
    status = kTroubleStatus;
  }
  if (output.failed()) {
    printError(messages::outputLost);
    status = kTroubleStatus;
  }
  return status;
}
