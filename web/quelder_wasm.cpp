// SPDX-License-Identifier: MIT
// The checker as a WebAssembly reactor, for web/quelder.mjs. The module hands
// in one file at a time: it reserves a block for the name and one for the
// image in this module's memory, copies them in and calls checkNamedImage,
// which prints what the command-line program prints for that file (progress
// line, diagnostics, verdict) through the same report functions. Standard
// output and standard error leave through WASI fd_write; each diagnostic also
// leaves as a value, through the module's import quelder.diagnostic, at the
// moment its line is printed.
//
// The findings and what the file is come from the C library
// (include/quelder/quelder.h), run on the same image after the printed check:
// each finding through quelder.finding, the format through quelder.format.
// The printed check stays the command-line program's own, so its lines are
// its lines by construction, and the findings are the library's by
// construction: no second routing of diagnostics to keep in step with it.
// The reference table of codes is read through codeCount and codeText.
#include <cstdint>
#include <cstdlib>

#include "app/file_driver.h"
#include "app/printed_diagnostics.h"
#include "catalogue/codes.h"
#include "catalogue/texts.h"
#include "check/check_file.h"
#include "quelder/quelder.h"
#include "render/diagnostic_text.h"

// Provided by web/quelder.mjs: one diagnostic, its message (UTF-8, without
// form or line feed) at message[0, messageLength). Numbers outside a track are
// 0 there; the module makes them null. The tick goes as a double, exact up to
// 2^53, as JavaScript numbers are.
__attribute__((import_module("quelder"), import_name("diagnostic"))) void handOver(
    std::uint32_t code, std::uint32_t offset, std::uint32_t track, std::uint32_t event, double tick,
    std::uint32_t eventOffset, const char* message, std::uint32_t messageLength);

// One finding of the library, as its quelder_diagnostic gives it (code and
// message NUL-terminated); and the name of the file's format with the offset
// of the SMF it holds (-1 for none).
__attribute__((import_module("quelder"), import_name("finding"))) void handOverFinding(
    const char* code, double offset, std::uint32_t track, std::uint32_t event, double tick,
    double eventOffset, std::int32_t afterFirstError, const char* message);
__attribute__((import_module("quelder"), import_name("format"))) void handOverFormat(
    const char* format, double embeddedOffset);

namespace {

// No message of the catalogue comes near this; a longer one gets a block.
constexpr std::size_t kMessageCapacity = 1024;

void handOverMessage(const Diagnostic& diagnostic, const char* message, std::size_t length) {
  const Location& at = diagnostic.location;
  handOver(static_cast<std::uint32_t>(diagnostic.code), diagnostic.offset, at.track, at.event,
           static_cast<double>(at.tick), at.eventOffset, message,
           static_cast<std::uint32_t>(length));
}

// The line on standard error, then the value.
void printAndHandOver(void*, const Diagnostic& diagnostic) {
  printingSink()(diagnostic);
  char message[kMessageCapacity];
  const std::size_t length = renderMessage(texts(), diagnostic, message, sizeof message);
  if (length < sizeof message) return handOverMessage(diagnostic, message, length);
  char* whole = static_cast<char*>(std::malloc(length + 1));
  if (whole == nullptr) return handOverMessage(diagnostic, message, sizeof message - 1);
  renderMessage(texts(), diagnostic, whole, length + 1);
  handOverMessage(diagnostic, whole, length);
  std::free(whole);
}

constexpr DiagnosticSink kSink{printAndHandOver, nullptr};

// A file that could not be reserved: the memory file error, as the command
// line gives for a file it cannot hold.
bool memoryFailure() {
  Diagnostic memory;
  memory.code = Code::memoryFailed;
  kSink(memory);
  return false;
}

// The library's findings and format for the image, in the checker's language.
// An image that could not be reserved (null, size > 0) gets the library's
// answer for memory it cannot hold.
void handOverFindings(const std::uint8_t* image, std::uint32_t size) {
  const quelder_options options{QUELDER_WEB_LANGUAGE};
  quelder_result* result = quelder_check_buffer(image, size, &options);
  for (std::size_t i = 0; i < quelder_result_finding_count(result); ++i) {
    const quelder_diagnostic& finding = *quelder_result_finding(result, i);
    handOverFinding(finding.code, static_cast<double>(finding.offset), finding.track, finding.event,
                    static_cast<double>(finding.tick), static_cast<double>(finding.event_offset),
                    finding.after_first_error, finding.message);
  }
  handOverFormat(quelder_result_format(result),
                 static_cast<double>(quelder_result_embedded_offset(result)));
  quelder_result_free(result);
}

}  // namespace

extern "C" {

// A block of size bytes, or null when memory cannot grow that far. An empty
// image still gets a block, as on the command line.
__attribute__((export_name("reserve"))) void* reserve(std::uint32_t size) {
  return std::malloc(size > 0 ? size : 1);
}

// Checks the size bytes of image under name (NUL-terminated) and frees both
// blocks, so that nothing is held between files. A null image is one that
// could not be reserved. Hands over the findings and the format after the
// verdict line. Returns 1 iff the file conforms.
__attribute__((export_name("checkNamedImage"))) int checkNamedImage(char* name, std::uint8_t* image,
                                                                    std::uint32_t size) {
  const bool conforms = checkBetweenLines(
      name, [&] { return image != nullptr ? checkImage(image, size, kSink) : memoryFailure(); });
  handOverFindings(image, size);
  std::free(image);
  std::free(name);
  return conforms ? 1 : 0;
}

// The reference table: codes 0 to codeCount() - 1, each with its texts
// (NUL-terminated, UTF-8, static): 0 its name, 1 the rule, 2 what readers do,
// 3 why it has its grade ("" without one) in this checker's catalogue; 4 its
// severity's name and 5 its grade's, as the C library names them. Null for a
// code or text that does not exist.
__attribute__((export_name("codeCount"))) std::uint32_t codeCount() { return kCodeCount; }

__attribute__((export_name("codeText"))) const char* codeText(std::uint32_t code,
                                                              std::uint32_t text) {
  if (code >= kCodeCount) return nullptr;
  const Message& message = texts().messages.all[code];
  switch (text) {
    case 0: return kCodes[code].name;
    case 1: return message.rule;
    case 2: return message.readers;
    case 3: return message.gradeReason;
    case 4: return severityName(kCodes[code].severity);
    case 5: return gradeName(kCodes[code].grade);
  }
  return nullptr;
}

}  // extern "C"
