// SPDX-License-Identifier: MIT
// The C library: the checker core behind include/quelder/quelder.h. A check
// collects its diagnostics into a result through a sink, rendering each
// message in the language asked for; the result owns every string it hands
// out. Nothing here is shared between threads: the core keeps its state per
// thread, and each result is its own.
#include "quelder/quelder.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "catalogue/codes.h"
#include "catalogue/texts.h"
#include "check/check_file.h"
#include "render/diagnostic_text.h"

// What one check found. Allocated with malloc in one piece per array, so that
// an allocation failure can be answered without exceptions.
struct quelder_result {
  bool conforms = false;
  quelder_diagnostic* diagnostics = nullptr;
  std::size_t diagnosticCount = 0;
  std::size_t diagnosticCapacity = 0;
  const char* format = "smf";
  bool outOfMemory = false;  // a diagnostic or its message could not be kept
};

namespace {

const Texts& textsOf(const quelder_options* options) {
  return options != nullptr && options->language == QUELDER_LANGUAGE_JA ? japaneseTexts()
                                                                        : englishTexts();
}

struct Collector {
  quelder_result* result;
  const Texts* texts;
};

quelder_severity severityOf(Severity severity) {
  switch (severity) {
    case Severity::error: return QUELDER_SEVERITY_ERROR;
    case Severity::warning: return QUELDER_SEVERITY_WARNING;
    case Severity::fileError: return QUELDER_SEVERITY_FILE_ERROR;
  }
  return QUELDER_SEVERITY_ERROR;
}

quelder_grade gradeOf(Grade grade) {
  switch (grade) {
    case Grade::none: return QUELDER_GRADE_NONE;
    case Grade::structure: return QUELDER_GRADE_STRUCTURE;
    case Grade::content: return QUELDER_GRADE_CONTENT;
    case Grade::recommendation: return QUELDER_GRADE_RECOMMENDATION;
  }
  return QUELDER_GRADE_NONE;
}

// The message in a block of its own, or null without memory for it.
char* copyMessage(const Texts& texts, const Diagnostic& diagnostic) {
  char small[1];
  const std::size_t length = renderMessage(texts, diagnostic, small, sizeof small);
  char* message = static_cast<char*>(std::malloc(length + 1));
  if (message != nullptr) renderMessage(texts, diagnostic, message, length + 1);
  return message;
}

bool grow(quelder_result* result) {
  if (result->diagnosticCount < result->diagnosticCapacity) return true;
  const std::size_t capacity = result->diagnosticCapacity == 0 ? 4 : 2 * result->diagnosticCapacity;
  void* grown = std::realloc(result->diagnostics, capacity * sizeof(quelder_diagnostic));
  if (grown == nullptr) return false;
  result->diagnostics = static_cast<quelder_diagnostic*>(grown);
  result->diagnosticCapacity = capacity;
  return true;
}

void collect(void* context, const Diagnostic& diagnostic) {
  const Collector& collector = *static_cast<Collector*>(context);
  quelder_result* result = collector.result;
  char* message = copyMessage(*collector.texts, diagnostic);
  if (message == nullptr || !grow(result)) {
    std::free(message);
    result->outOfMemory = true;
    return;
  }
  const CodeInfo& info = codeInfo(diagnostic.code);
  const bool inTrack = diagnostic.location.track != 0;
  quelder_diagnostic& out = result->diagnostics[result->diagnosticCount++];
  out.code = info.name;
  out.severity = severityOf(info.severity);
  out.grade = gradeOf(info.grade);
  out.offset = info.severity == Severity::fileError ? -1 : std::int64_t{diagnostic.offset};
  out.track = diagnostic.location.track;
  out.event = diagnostic.location.event;
  out.tick = diagnostic.location.tick;
  out.event_offset = inTrack ? std::int64_t{diagnostic.location.eventOffset} : -1;
  out.after_first_error = 0;
  out.message = message;
}

// Answered when not even a result can be allocated: it is never freed.
quelder_diagnostic outOfMemoryDiagnostic = {"memory-failed",
                                            QUELDER_SEVERITY_FILE_ERROR,
                                            QUELDER_GRADE_NONE,
                                            -1,
                                            0,
                                            0,
                                            0,
                                            -1,
                                            0,
                                            "memory allocation failed."};
quelder_result outOfMemoryResult = {false, &outOfMemoryDiagnostic, 1, 1, "smf", false};

void freeDiagnostics(quelder_result* result) {
  for (std::size_t i = 0; i < result->diagnosticCount; ++i) {
    std::free(const_cast<char*>(result->diagnostics[i].message));
  }
  std::free(result->diagnostics);
  result->diagnostics = nullptr;
  result->diagnosticCount = 0;
  result->diagnosticCapacity = 0;
}

// A result that lost a diagnostic for want of memory says so, and nothing
// else: a partial list would pass for a complete one.
quelder_result* finish(quelder_result* result) {
  if (!result->outOfMemory) return result;
  freeDiagnostics(result);
  std::free(result);
  return &outOfMemoryResult;
}

template <typename Check>
quelder_result* runCheck(const quelder_options* options, Check check) {
  auto* result = static_cast<quelder_result*>(std::malloc(sizeof(quelder_result)));
  if (result == nullptr) return &outOfMemoryResult;
  new (result) quelder_result{};
  Collector collector{result, &textsOf(options)};
  result->conforms = check(DiagnosticSink{collect, &collector});
  return finish(result);
}

// Offsets are 32-bit: the largest image is the largest file the loader takes.
constexpr std::size_t kLargestImage = 0xFFFFFFFDu;

}  // namespace

extern "C" {

const char* quelder_version(void) { return QUELDER_VERSION; }

quelder_result* quelder_check_buffer(const void* data, size_t size,
                                     const quelder_options* options) {
  return runCheck(options, [&](const DiagnosticSink& sink) {
    if (size > kLargestImage || (data == nullptr && size > 0)) {
      Diagnostic memory;
      memory.code = Code::memoryFailed;
      sink(memory);
      return false;
    }
    static const std::uint8_t kEmpty[1] = {0};
    const auto* image = data != nullptr ? static_cast<const std::uint8_t*>(data) : kEmpty;
    return checkImage(image, static_cast<std::uint32_t>(size), sink);
  });
}

quelder_result* quelder_check_file(const char* path, const quelder_options* options) {
  if (path == nullptr) path = "";
  return runCheck(options, [&](const DiagnosticSink& sink) { return checkFile(path, sink); });
}

int quelder_result_conforms(const quelder_result* result) { return result->conforms ? 1 : 0; }

size_t quelder_result_diagnostic_count(const quelder_result* result) {
  return result->diagnosticCount;
}

const quelder_diagnostic* quelder_result_diagnostic(const quelder_result* result, size_t index) {
  return index < result->diagnosticCount ? &result->diagnostics[index] : nullptr;
}

size_t quelder_result_finding_count(const quelder_result* result) {
  return result->diagnosticCount;
}

const quelder_diagnostic* quelder_result_finding(const quelder_result* result, size_t index) {
  return quelder_result_diagnostic(result, index);
}

const char* quelder_result_format(const quelder_result* result) { return result->format; }

void quelder_result_free(quelder_result* result) {
  if (result == nullptr || result == &outOfMemoryResult) return;
  freeDiagnostics(result);
  std::free(result);
}

const char* quelder_severity_name(quelder_severity severity) {
  switch (severity) {
    case QUELDER_SEVERITY_ERROR: return "error";
    case QUELDER_SEVERITY_WARNING: return "warning";
    case QUELDER_SEVERITY_FILE_ERROR: return "file-error";
  }
  return "";
}

const char* quelder_grade_name(quelder_grade grade) {
  switch (grade) {
    case QUELDER_GRADE_NONE: return "";
    case QUELDER_GRADE_STRUCTURE: return "structure";
    case QUELDER_GRADE_CONTENT: return "content";
    case QUELDER_GRADE_RECOMMENDATION: return "recommendation";
  }
  return "";
}

size_t quelder_code_count(void) { return kCodeCount; }

const quelder_code_info* quelder_code(size_t index, quelder_language language) {
  static const auto table = [](const Texts& texts) {
    struct Table {
      quelder_code_info rows[kCodeCount];
    } out{};
    for (std::size_t i = 0; i < kCodeCount; ++i) {
      const Message& message = texts.messages.all[i];
      const CodeInfo& info = kCodes[i];
      out.rows[i] = {info.name,           severityOf(info.severity),
                     gradeOf(info.grade), message.text,
                     message.rule,        message.readers};
    }
    return out;
  };
  static const auto english = table(englishTexts());
  static const auto japanese = table(japaneseTexts());
  if (index >= kCodeCount) return nullptr;
  return language == QUELDER_LANGUAGE_JA ? &japanese.rows[index] : &english.rows[index];
}

}  // extern "C"
