// libFuzzer target: the whole check of one in-memory image, and the shape of
// what it prints. Whatever the bytes, the diagnostics must be zero or more
// warnings followed by at most one error, every line ending with a line feed,
// the result true iff there was no error, and a second check of the same image,
// every event through the general steps this time, must print and answer the
// same (the channel-run fast path agrees with them, and nothing survives from
// one file to the next).
// Any violation aborts, so libFuzzer keeps the input.
//
// The checker writes its diagnostics through the C stream stderr. At start-up
// that stream variable is pointed at a memory file, read back and emptied
// after each check. libFuzzer keeps the stream it took at its own start-up and
// the sanitizers write to file descriptor 2 directly, so their output, crash
// and timeout reports included, still reaches the real standard error.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/check_file.h"

namespace {

// The three diagnostic forms, in the encoding of the build, like the core's.
constexpr std::string_view kWarningPrefix = "警告(";
constexpr std::string_view kErrorPrefix = "エラー(";
constexpr std::string_view kFileErrorPrefix = "エラー: ";

// The smallest input a warning consumes: an unknown meta event is a delta
// time, FF, its type and a length byte; an unknown chunk header is 8 bytes.
constexpr std::size_t kBytesPerWarning = 4;

class StderrCapture {
 public:
  StderrCapture() {
    const int memory = memfd_create("quelder-diagnostics", MFD_CLOEXEC);
    memory_ = memory >= 0 ? fdopen(memory, "w+") : nullptr;
    if (memory_ == nullptr) {
      std::perror("check_image_fuzzer: cannot set up the capture of standard error");
      std::abort();
    }
    stderr = memory_;
  }

  // Runs checkImage with standard error captured; returns what it printed.
  std::string check(const std::uint8_t* image, std::uint32_t size, EventPath path,
                    bool* conforms) {
    *conforms = checkImage(image, size, path);
    if (std::fflush(memory_) != 0) std::abort();
    const long written = std::ftell(memory_);
    std::string text(written > 0 ? static_cast<std::size_t>(written) : 0, '\0');
    if (!text.empty() && pread(fileno(memory_), text.data(), text.size(), 0) != written) {
      std::abort();
    }
    if (ftruncate(fileno(memory_), 0) != 0) std::abort();
    std::rewind(memory_);
    return text;
  }

  [[noreturn]] void fail(const char* what, const std::string& diagnostics) const {
    dprintf(STDERR_FILENO, "check_image_fuzzer: %s\n--- diagnostics (%zu bytes) ---\n", what,
            diagnostics.size());
    if (write(STDERR_FILENO, diagnostics.data(), diagnostics.size()) < 0) {
      // Nothing better to do: the abort below reports the finding anyway.
    }
    dprintf(STDERR_FILENO, "--- end ---\n");
    std::abort();
  }

 private:
  std::FILE* memory_ = nullptr;
};

StderrCapture& capture() {
  static StderrCapture instance;
  return instance;
}

bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The offset of a positional line: decimal digits, then "): ". False when
// the line does not have that shape.
bool parseOffset(std::string_view rest, long* offset) {
  std::size_t digits = 0;
  long value = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9' && digits < 10) {
    value = value * 10 + (rest[digits] - '0');
    ++digits;
  }
  if (digits == 0 || rest.substr(digits, 3) != "): ") return false;
  *offset = value;
  return true;
}

void checkShape(const std::string& text, bool conforms, std::size_t size) {
  StderrCapture& out = capture();
  if (!text.empty() && text.back() != '\n') out.fail("the last line has no line feed", text);
  if (text.find('\0') != std::string::npos) out.fail("a NUL byte was printed", text);
  // Every offset is where a read that found data began, so it lies inside the
  // image; only an empty image reports offset 0 without one.
  const long offsetLimit = size > 0 ? static_cast<long>(size) : 1;
  std::size_t warnings = 0;
  std::size_t errors = 0;
  long lastWarningOffset = -1;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (errors > 0) out.fail("a line follows the error line", text);
    long offset = 0;
    if (startsWith(line, kWarningPrefix)) {
      if (!parseOffset(line.substr(kWarningPrefix.size()), &offset)) {
        out.fail("a warning line without an offset", text);
      }
      // Checking only moves forward and each warning consumes its bytes first.
      if (offset <= lastWarningOffset) out.fail("warning offsets do not increase", text);
      lastWarningOffset = offset;
      ++warnings;
    } else if (startsWith(line, kErrorPrefix)) {
      if (!parseOffset(line.substr(kErrorPrefix.size()), &offset)) {
        out.fail("an error line without an offset", text);
      }
      ++errors;
    } else if (startsWith(line, kFileErrorPrefix)) {
      ++errors;
    } else {
      out.fail("a line that is neither a warning nor an error", text);
    }
    if (offset >= offsetLimit) out.fail("an offset beyond the image", text);
  }
  if (warnings > size / kBytesPerWarning) out.fail("more warnings than the image can hold", text);
  if (conforms != (errors == 0)) {
    out.fail(conforms ? "true despite an error line" : "false without an error line", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  capture();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFEu) return -1;  // a file of 4 GiB never gets this far
  const auto size32 = static_cast<std::uint32_t>(size);
  bool conforms = false;
  const std::string text = capture().check(data, size32, EventPath::fast, &conforms);
  checkShape(text, conforms, size);
  bool again = false;
  if (capture().check(data, size32, EventPath::general, &again) != text || again != conforms) {
    capture().fail("a second check of the same image, on the general path, differs", text);
  }
  return 0;
}
