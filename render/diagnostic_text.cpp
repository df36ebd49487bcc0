// SPDX-License-Identifier: MIT
#include "render/diagnostic_text.h"

#include <cstdio>
#include <cstring>

#include "stream/event_names.h"
#include "stream/meta_types.h"

namespace {

const char* formOf(const Texts& texts, Severity severity) {
  switch (severity) {
    case Severity::error: return texts.errorAt.text;
    case Severity::warning: return texts.warningAt.text;
    case Severity::fileError: return texts.fileError.text;
  }
  return texts.errorAt.text;
}

// A meta event of the wrong length is told the length its type requires.
const char* messageOf(const Texts& texts, const Diagnostic& diagnostic) {
  if (diagnostic.code == Code::metaLengthFixed) {
    const int required = metaType(diagnostic.name.key).requiredLength;
    if (required >= 0 && required < static_cast<int>(std::size(texts.metaLengthMustBe))) {
      return texts.metaLengthMustBe[required].text;
    }
  }
  return texts.messages[diagnostic.code].text;
}

bool append(char* format, std::size_t* used, const char* text) {
  const std::size_t length = std::strlen(text);
  if (*used + length >= kFormatCapacity) return false;
  std::memcpy(format + *used, text, length + 1);
  *used += length;
  return true;
}

}  // namespace

const char* eventNameIn(const Texts& texts, EventName name) {
  const char* text = nullptr;
  switch (name.kind) {
    case EventName::Kind::none: break;
    case EventName::Kind::channelMessage: text = channelMessageName(texts, name.key); break;
    case EventName::Kind::metaEvent: text = metaEventName(texts, name.key); break;
  }
  return text != nullptr ? text : "";
}

bool composeFormat(const Texts& texts, const Diagnostic& diagnostic, bool wholeLine,
                   char (&format)[kFormatCapacity]) {
  std::size_t used = 0;
  format[0] = '\0';
  if (wholeLine && !append(format, &used, formOf(texts, codeInfo(diagnostic.code).severity))) {
    return false;
  }
  if (!append(format, &used, messageOf(texts, diagnostic))) return false;
  return !wholeLine || append(format, &used, "\n");
}

std::size_t renderMessage(const Texts& texts, const Diagnostic& diagnostic, char* out,
                          std::size_t capacity) {
  char format[kFormatCapacity];
  if (!composeFormat(texts, diagnostic, false, format)) return 0;
  const int length = withValues(texts, diagnostic, false, diagnostic.fileName, format,
                                [&](const char* f, auto... values) {
                                  if constexpr (sizeof...(values) == 0) {
                                    return std::snprintf(out, capacity, "%s", f);
                                  } else {
                                    return std::snprintf(out, capacity, f, values...);
                                  }
                                });
  return length < 0 ? 0 : static_cast<std::size_t>(length);
}
