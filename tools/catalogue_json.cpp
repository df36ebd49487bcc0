// SPDX-License-Identifier: MIT
// Prints the catalogue as JSON on standard output, for the generators of the
// manual pages' DIAGNOSTICS and of docs/codes.md (man/make_diagnostics.py):
// every code with its severity and grade, and in each language its message,
// rule and what readers do; the length messages; the display names.
#include <cstdio>

#include "catalogue/codes.h"
#include "catalogue/texts.h"

namespace {

void printString(const char* text) {
  std::putchar('"');
  for (const char* at = text; *at != '\0'; ++at) {
    if (*at == '\n') {
      std::fputs("\\n", stdout);
      continue;
    }
    if (*at == '"' || *at == '\\') std::putchar('\\');
    std::putchar(*at);
  }
  std::putchar('"');
}

const char* severityName(Severity severity) {
  switch (severity) {
    case Severity::error: return "error";
    case Severity::warning: return "warning";
    case Severity::fileError: return "file-error";
  }
  return "";
}

const char* gradeName(Grade grade) {
  switch (grade) {
    case Grade::none: return "";
    case Grade::structure: return "structure";
    case Grade::content: return "content";
    case Grade::recommendation: return "recommendation";
  }
  return "";
}

const char* valuesName(Values values) {
  switch (values) {
    case Values::none: return "none";
    case Values::number: return "number";
    case Values::twoNumbers: return "two-numbers";
    case Values::eventName: return "event-name";
    case Values::statusByte: return "status-byte";
    case Values::fileName: return "file-name";
  }
  return "";
}

void printLanguage(const char* language, const Texts& texts) {
  std::printf("\"%s\": {\"forms\": {\"error\": ", language);
  printString(texts.errorAt.text);
  std::printf(", \"warning\": ");
  printString(texts.warningAt.text);
  std::printf(", \"file-error\": ");
  printString(texts.fileError.text);
  std::printf("},\n  \"output-lost\": ");
  printString(texts.outputLost.text);
  std::printf(", \"diagnostics-lost\": ");
  printString(texts.diagnosticsLost.text);
  std::printf(",\n  \"messages\": [\n");
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    const Message& message = texts.messages.all[i];
    std::printf("    {\"text\": ");
    printString(message.text);
    std::printf(", \"rule\": ");
    printString(message.rule);
    std::printf(", \"readers\": ");
    printString(message.readers);
    std::printf("}%s\n", i + 1 < kCodeCount ? "," : "");
  }
  std::printf("  ],\n  \"length-messages\": [");
  for (std::size_t i = 0; i < std::size(texts.metaLengthMustBe); ++i) {
    if (i > 0) std::printf(", ");
    printString(texts.metaLengthMustBe[i].text);
  }
  std::printf("],\n  \"channel-messages\": [");
  for (std::size_t i = 0; i < std::size(texts.channelMessages); ++i) {
    if (i > 0) std::printf(", ");
    printString(texts.channelMessages[i].text);
  }
  std::printf("]}");
}

}  // namespace

int main() {
  std::printf("{\"codes\": [\n");
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    const CodeInfo& info = kCodes[i];
    std::printf(
        "  {\"code\": \"%s\", \"severity\": \"%s\", \"grade\": \"%s\", \"values\": \"%s\"}%s\n",
        info.name, severityName(info.severity), gradeName(info.grade), valuesName(info.values),
        i + 1 < kCodeCount ? "," : "");
  }
  std::printf("],\n");
  printLanguage("en", englishTexts());
  std::printf(",\n");
  printLanguage("ja", japaneseTexts());
  std::printf("}\n");
  return 0;
}
