// SPDX-License-Identifier: MIT
// libFuzzer target: the whole program, from the argument vector to the exit
// status, on a real file in a scratch directory. Each input is
//
//   options  one byte: bits 0-3 make the nth allocation of the program fail
//            (0: none), bit 4 sends standard output to /dev/full
//   length   one byte: the length of the file name that follows
//   name     the file's name ('/' and NUL become '_')
//   image    the rest: the file's contents
//
// The program is given the file twice. Standard output and standard error go
// to one memory file, as with 2>&1 (each line is one write, so their lines
// keep their order). For each check it must print the progress line, then
// diagnostics that keep the rules of shapeFault, then the verdict that agrees
// with them, the name echoed with each byte below 0x20 and 0x7F as '?'; and
// exit with status 0. With an allocation failed exactly one check reports the
// memory message; without, both checks print the same. With standard output
// full the exit status is 1 and standard error ends by saying so. Any
// violation aborts, so libFuzzer keeps the input.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalogue/texts.h"
#include "fuzz/fuzz_support.h"

// app/main.cpp, whose main the build renames.
int quelderMain(int argc, char** argv);

namespace {

// The texts of each check's frame, from the catalogue the program prints
// with, split where the name goes. The name itself is the target's own
// expectation (echoed below), not the program's.
struct FrameTexts {
  std::string_view progressTail;
  std::string_view verdictHead;  // the same before either verdict's name
  std::string_view conformsTail;
  std::string_view doesNotConformTail;
  std::string memoryFailed;  // the whole line
  std::string_view outputLost;
};

std::string_view beforeName(const char* format) {
  const std::string_view text = format;
  return text.substr(0, text.find("%s"));
}

std::string_view afterName(const char* format) {
  const std::string_view text = format;
  return text.substr(text.find("%s") + 2);
}

const FrameTexts& frame() {
  static const FrameTexts texts = [] {
    const Texts& catalogue = ::texts();
    if (!beforeName(catalogue.progress.text).empty() ||
        beforeName(catalogue.conforms.text) != beforeName(catalogue.doesNotConform.text)) {
      std::abort();  // the transcript check below reads lines of this shape only
    }
    return FrameTexts{
        afterName(catalogue.progress.text),
        beforeName(catalogue.conforms.text),
        afterName(catalogue.conforms.text),
        afterName(catalogue.doesNotConform.text),
        std::string(catalogue.fileError.text) + catalogue.messages[Code::memoryFailed].text + "\n",
        catalogue.outputLost.text};
  }();
  return texts;
}
constexpr int kChecks = 2;

// The program's allocations while a run is armed. The link wraps every call
// to malloc in the program's objects (-Wl,--wrap=malloc).
struct AllocationFault {
  bool armed = false;
  int failAt = 0;  // 1 for the first allocation; 0 for none
  int count = 0;
  bool fired = false;
};
AllocationFault allocations;

struct Input {
  int failAt = 0;
  bool outputFull = false;
  std::string name;
  const std::uint8_t* image = nullptr;
  std::size_t size = 0;
};

struct Run {
  int exitStatus = -1;
  std::string text;  // standard output and standard error, merged
};

MemoryFile& capture() {
  static MemoryFile instance;
  return instance;
}

const std::string& scratchDirectory() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quelder-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("check_file_fuzzer: cannot make a scratch directory");
      std::abort();
    }
    return pattern;
  }();
  return path;
}

void removeScratchDirectory() { rmdir(scratchDirectory().c_str()); }

// A name the directory can hold: one path component, never empty, . or ..
std::string componentFrom(std::string_view bytes) {
  std::string name(bytes);
  for (char& c : name) {
    if (c == '/' || c == '\0') c = '_';
  }
  return name.empty() || name == "." || name == ".." ? "image.mid" : name;
}

bool parse(const std::uint8_t* data, std::size_t size, Input* input) {
  if (size < 2 || size - 2 < data[1]) return false;
  input->failAt = data[0] & 0x0F;
  input->outputFull = (data[0] & 0x10) != 0;
  input->name = componentFrom(std::string_view(reinterpret_cast<const char*>(data + 2), data[1]));
  input->image = data + 2 + data[1];
  input->size = size - 2 - data[1];
  return true;
}

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  return written;
}

// The name as the program must echo it.
std::string echoed(std::string_view name) {
  std::string shown(name);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return shown;
}

Run runProgram(const std::string& path, const Input& input) {
  std::FILE* const savedOutput = stdout;
  std::FILE* const savedError = stderr;
  std::FILE* const full = input.outputFull ? std::fopen("/dev/full", "w") : nullptr;
  if (input.outputFull && full == nullptr) std::abort();
  stdout = full != nullptr ? full : capture().stream();
  stderr = capture().stream();
  std::string program = "quelder";
  std::string argument = path;
  char* argv[] = {program.data(), argument.data(), argument.data(), nullptr};
  allocations = {true, input.failAt, 0, false};
  Run run;
  run.exitStatus = quelderMain(kChecks + 1, argv);
  allocations.armed = false;
  stdout = savedOutput;
  stderr = savedError;
  if (full != nullptr) std::fclose(full);  // its flush fails too
  run.text = capture().take();
  return run;
}

// Where the first line that starts with head begins in text, or npos.
std::size_t lineStarting(std::string_view text, std::string_view head) {
  if (text.starts_with(head)) return 0;
  const std::size_t found = text.find(std::string("\n") + std::string(head));
  return found == std::string_view::npos ? found : found + 1;
}

void expectOutputLost(const Run& run) {
  if (run.exitStatus != 1) fail("standard output was lost, yet the exit status is not 1", run.text);
  const std::string_view outputLost = frame().outputLost;
  if (!run.text.ends_with(outputLost) ||
      run.text.find(outputLost) + outputLost.size() != run.text.size()) {
    fail("standard output was lost, yet standard error does not end by saying so once", run.text);
  }
}

void expectTranscript(const Run& run, const Input& input, const std::string& path) {
  if (run.exitStatus != 0) fail("the exit status is not 0", run.text);
  const std::string name = echoed(path);
  const FrameTexts& texts = frame();
  const std::string progress = name + std::string(texts.progressTail);
  const std::string verdictHead = std::string(texts.verdictHead) + name;
  std::string_view rest = run.text;
  std::string_view checks[kChecks];
  int memoryFailures = 0;
  for (std::string_view& check : checks) {
    const std::string_view start = rest;
    if (!rest.starts_with(progress)) fail("not the progress line of the name", run.text);
    rest.remove_prefix(progress.size());
    const std::size_t verdict = lineStarting(rest, texts.verdictHead);
    if (verdict == std::string_view::npos) fail("a check without a verdict", run.text);
    const std::string_view diagnostics = rest.substr(0, verdict);
    rest.remove_prefix(verdict);
    if (!rest.starts_with(verdictHead)) fail("not the verdict line of the name", run.text);
    rest.remove_prefix(verdictHead.size());
    const bool conforms = rest.starts_with(texts.conformsTail);
    if (!conforms && !rest.starts_with(texts.doesNotConformTail)) {
      fail("a broken verdict", run.text);
    }
    rest.remove_prefix(conforms ? texts.conformsTail.size() : texts.doesNotConformTail.size());
    if (const char* fault = shapeFault(diagnostics, conforms, input.size)) fail(fault, run.text);
    if (diagnostics.ends_with(texts.memoryFailed)) ++memoryFailures;
    check = start.substr(0, start.size() - rest.size());
  }
  if (!rest.empty()) fail("lines after the last verdict", run.text);
  if (allocations.fired && memoryFailures != 1) {
    fail("the failed allocation is not reported once by the memory message", run.text);
  }
  if (!allocations.fired && checks[0] != checks[1]) {
    fail("two checks of the same file differ", run.text);
  }
}

}  // namespace

extern "C" void* __real_malloc(std::size_t size);

extern "C" void* __wrap_malloc(std::size_t size) {
  if (allocations.armed && ++allocations.count == allocations.failAt) {
    allocations.fired = true;
    return nullptr;
  }
  return __real_malloc(size);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  capture();
  scratchDirectory();
  std::atexit(removeScratchDirectory);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input;
  if (!parse(data, size, &input)) return -1;
  const std::string path = scratchDirectory() + "/" + input.name;
  if (!writeFile(path, input.image, input.size)) {
    unlink(path.c_str());
    return -1;
  }
  const Run run = runProgram(path, input);
  unlink(path.c_str());
  if (input.outputFull) {
    expectOutputLost(run);
  } else {
    expectTranscript(run, input, path);
  }
  return 0;
}
