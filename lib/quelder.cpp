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
#include "check/file_kind.h"
#include "render/diagnostic_text.h"

// A list of diagnostics, grown with realloc so that an allocation failure
// can be answered without exceptions.
struct DiagnosticList {
  quelder_diagnostic* items = nullptr;
  std::size_t count = 0;
  std::size_t capacity = 0;
};

// What one check found.
struct quelder_result {
  bool conforms = false;
  DiagnosticList diagnostics;  // the reference program's
  DiagnosticList findings;     // past its first error and beyond its rules
  const char* format = "smf";
  std::int64_t embeddedOffset = -1;  // of the SMF inside a container
  bool embeddedConforms = false;
  bool outOfMemory = false;  // a diagnostic or its message could not be kept
};

namespace {

const Texts& textsOf(const quelder_options* options) {
  return options != nullptr && options->language == QUELDER_LANGUAGE_JA ? japaneseTexts()
                                                                        : englishTexts();
}

// Where a check's diagnostics go: the reference ones to diagnostics, the rest
// to findings. The check of an SMF inside a container is none of the
// reference program's: all of it goes to findings, its offsets moved to the
// container's.
struct Collector {
  quelder_result* result;
  const Texts* texts;
  std::uint32_t offsetBase = 0;
  bool embedded = false;
};

quelder_severity severityOf(Severity severity) { return static_cast<quelder_severity>(severity); }

quelder_grade gradeOf(Grade grade) { return static_cast<quelder_grade>(grade); }

// The message in a block of its own, or null without memory for it.
char* copyMessage(const Texts& texts, const Diagnostic& diagnostic) {
  char small[1];
  const std::size_t length = renderMessage(texts, diagnostic, small, sizeof small);
  char* message = static_cast<char*>(std::malloc(length + 1));
  if (message != nullptr) renderMessage(texts, diagnostic, message, length + 1);
  return message;
}

bool grow(DiagnosticList* list) {
  if (list->count < list->capacity) return true;
  const std::size_t capacity = list->capacity == 0 ? 4 : 2 * list->capacity;
  void* grown = std::realloc(list->items, capacity * sizeof(quelder_diagnostic));
  if (grown == nullptr) return false;
  list->items = static_cast<quelder_diagnostic*>(grown);
  list->capacity = capacity;
  return true;
}

bool isFinding(const Collector& collector, const Diagnostic& diagnostic) {
  return collector.embedded || diagnostic.afterFirstError ||
         codeInfo(diagnostic.code).severity == Severity::beyondReference;
}

void collect(void* context, const Diagnostic& diagnostic) {
  const Collector& collector = *static_cast<Collector*>(context);
  quelder_result* result = collector.result;
  DiagnosticList* list =
      isFinding(collector, diagnostic) ? &result->findings : &result->diagnostics;
  char* message = copyMessage(*collector.texts, diagnostic);
  if (message == nullptr || !grow(list)) {
    std::free(message);
    result->outOfMemory = true;
    return;
  }
  const CodeInfo& info = codeInfo(diagnostic.code);
  const bool inTrack = diagnostic.location.track != 0;
  const std::int64_t base = collector.offsetBase;
  quelder_diagnostic& out = list->items[list->count++];
  out.code = info.name;
  out.severity = severityOf(info.severity);
  out.grade = gradeOf(info.grade);
  out.offset = info.severity == Severity::fileError ? -1 : base + diagnostic.offset;
  out.track = diagnostic.location.track;
  out.event = diagnostic.location.event;
  out.tick = diagnostic.location.tick;
  out.event_offset = inTrack ? base + diagnostic.location.eventOffset : -1;
  out.after_first_error = diagnostic.afterFirstError ? 1 : 0;
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
quelder_result outOfMemoryResult = {false, {&outOfMemoryDiagnostic, 1, 1}, {}, "smf", -1, false,
                                    false};

void freeList(DiagnosticList* list) {
  for (std::size_t i = 0; i < list->count; ++i) {
    std::free(const_cast<char*>(list->items[i].message));
  }
  std::free(list->items);
  *list = DiagnosticList{};
}

void freeResult(quelder_result* result) {
  freeList(&result->diagnostics);
  freeList(&result->findings);
  std::free(result);
}

// A result that lost a diagnostic for want of memory says so, and nothing
// else: a partial list would pass for a complete one.
quelder_result* finish(quelder_result* result) {
  if (!result->outOfMemory) return result;
  freeResult(result);
  return &outOfMemoryResult;
}

// Checks the image for the reference verdict and every finding, names what
// it is, and checks the SMF a container holds. context: the Collector of the
// file's own diagnostics.
bool checkAndName(void* context, const std::uint8_t* image, std::uint32_t size) {
  Collector& collector = *static_cast<Collector*>(context);
  quelder_result* result = collector.result;
  const bool conforms = checkImage(image, size, DiagnosticSink{collect, &collector},
                                   EventPath::fast, CheckMode::findings);
  const FileIdentity identity = identifyFile(image, size);
  result->format = fileKindName(identity.kind);
  if (identity.holdsSmf) {
    Collector inside{result, collector.texts, identity.smfOffset, true};
    result->embeddedOffset = identity.smfOffset;
    result->embeddedConforms =
        checkImage(image + identity.smfOffset, identity.smfSize, DiagnosticSink{collect, &inside},
                   EventPath::fast, CheckMode::findings);
  }
  return conforms;
}

template <typename Check>
quelder_result* runCheck(const quelder_options* options, Check check) {
  auto* result = static_cast<quelder_result*>(std::malloc(sizeof(quelder_result)));
  if (result == nullptr) return &outOfMemoryResult;
  new (result) quelder_result{};
  Collector collector{result, &textsOf(options)};
  result->conforms = check(DiagnosticSink{collect, &collector}, ImageUse{checkAndName, &collector});
  return finish(result);
}

// Offsets are 32-bit: the largest image is the largest file the loader takes.
constexpr std::size_t kLargestImage = 0xFFFFFFFDu;

}  // namespace

extern "C" {

const char* quelder_version(void) { return QUELDER_VERSION; }

quelder_result* quelder_check_buffer(const void* data, size_t size,
                                     const quelder_options* options) {
  return runCheck(options, [&](const DiagnosticSink& sink, const ImageUse& use) {
    if (size > kLargestImage || (data == nullptr && size > 0)) {
      Diagnostic memory;
      memory.code = Code::memoryFailed;
      sink(memory);
      return false;
    }
    static const std::uint8_t kEmpty[1] = {0};
    const auto* image = data != nullptr ? static_cast<const std::uint8_t*>(data) : kEmpty;
    return use.use(use.context, image, static_cast<std::uint32_t>(size));
  });
}

quelder_result* quelder_check_file(const char* path, const quelder_options* options) {
  if (path == nullptr) path = "";
  return runCheck(options, [&](const DiagnosticSink& sink, const ImageUse& use) {
    return useFileImage(path, sink, use);
  });
}

int quelder_result_conforms(const quelder_result* result) { return result->conforms ? 1 : 0; }

size_t quelder_result_diagnostic_count(const quelder_result* result) {
  return result->diagnostics.count;
}

const quelder_diagnostic* quelder_result_diagnostic(const quelder_result* result, size_t index) {
  return index < result->diagnostics.count ? &result->diagnostics.items[index] : nullptr;
}

size_t quelder_result_finding_count(const quelder_result* result) { return result->findings.count; }

const quelder_diagnostic* quelder_result_finding(const quelder_result* result, size_t index) {
  return index < result->findings.count ? &result->findings.items[index] : nullptr;
}

const char* quelder_result_format(const quelder_result* result) { return result->format; }

int64_t quelder_result_embedded_offset(const quelder_result* result) {
  return result->embeddedOffset;
}

int quelder_result_embedded_conforms(const quelder_result* result) {
  return result->embeddedConforms ? 1 : 0;
}

void quelder_result_free(quelder_result* result) {
  if (result == nullptr || result == &outOfMemoryResult) return;
  freeResult(result);
}

// The enumerations of the interface have the values of the catalogue's.
static_assert(QUELDER_SEVERITY_BEYOND_REFERENCE == static_cast<int>(Severity::beyondReference));
static_assert(QUELDER_GRADE_RECOMMENDATION == static_cast<int>(Grade::recommendation));

const char* quelder_severity_name(quelder_severity severity) {
  return severityName(static_cast<Severity>(severity));
}

const char* quelder_grade_name(quelder_grade grade) { return gradeName(static_cast<Grade>(grade)); }

size_t quelder_code_count(void) { return kCodeCount; }

const quelder_code_info* quelder_code(size_t index, quelder_language language) {
  static const auto table = [](const Texts& texts) {
    struct Table {
      quelder_code_info rows[kCodeCount];
    } out{};
    for (std::size_t i = 0; i < kCodeCount; ++i) {
      const Message& message = texts.messages.all[i];
      const CodeInfo& info = kCodes[i];
      out.rows[i] = {info.name,    severityOf(info.severity), gradeOf(info.grade), message.text,
                     message.rule, message.readers,           message.gradeReason};
    }
    return out;
  };
  static const auto english = table(englishTexts());
  static const auto japanese = table(japaneseTexts());
  if (index >= kCodeCount) return nullptr;
  return language == QUELDER_LANGUAGE_JA ? &japanese.rows[index] : &english.rows[index];
}

}  // extern "C"
