// SPDX-License-Identifier: MIT
#include "app/printed_diagnostics.h"

#include "app/report.h"
#include "catalogue/texts.h"
#include "render/diagnostic_text.h"

namespace {

void printDiagnosticLine(void*, const Diagnostic& diagnostic) {
  char format[kFormatCapacity];
  if (!composeFormat(texts(), diagnostic, true, format)) return;
  const PrintableName fileName(diagnostic.fileName != nullptr ? diagnostic.fileName : "");
  withValues(texts(), diagnostic, true, fileName.text(), format,
             [](const char* line, auto... values) {
               printDiagnostic(line, values...);
               return 0;
             });
}

}  // namespace

DiagnosticSink printingSink() { return {printDiagnosticLine, nullptr}; }
