// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "catalogue/texts.h"
#include "check/diagnostic.h"

// A diagnostic in words, from one catalogue: the message alone, for data
// results, or the whole line that the command-line programs print (form,
// message, line feed).

// The printf format of the diagnostic's line or message, written to
// format[0, capacity): the form's and the message's texts side by side, with
// the form's offset and the message's values for directives. Returns false
// when it does not fit; no catalogue text comes near kFormatCapacity.
inline constexpr std::size_t kFormatCapacity = 512;
bool composeFormat(const Texts& texts, const Diagnostic& diagnostic, bool wholeLine,
                   char (&format)[kFormatCapacity]);

// Calls write(format, values...) with the values the format's directives
// take, in order; fileName stands for the diagnostic's file name (the caller
// may have made it printable). Returns what write returns.
template <typename Write>
auto withValues(const Texts& texts, const Diagnostic& diagnostic, bool wholeLine,
                const char* fileName, const char* format, Write write);

// The message alone, without form or line feed, in out[0, capacity), cut
// short when it does not fit (a long file name). Returns its full length.
std::size_t renderMessage(const Texts& texts, const Diagnostic& diagnostic, char* out,
                          std::size_t capacity);

// The display name the diagnostic's message shows, in texts; "" for none.
const char* eventNameIn(const Texts& texts, EventName name);

template <typename Write>
auto withValues(const Texts& texts, const Diagnostic& diagnostic, bool wholeLine,
                const char* fileName, const char* format, Write write) {
  const int offset = static_cast<int>(static_cast<std::int32_t>(diagnostic.offset));
  const bool positional = wholeLine && codeInfo(diagnostic.code).severity != Severity::fileError;
  const auto withOffset = [&](auto... values) {
    return positional ? write(format, offset, values...) : write(format, values...);
  };
  switch (codeInfo(diagnostic.code).values) {
    case Values::none: return withOffset();
    case Values::number: return withOffset(diagnostic.numbers[0]);
    case Values::twoNumbers: return withOffset(diagnostic.numbers[0], diagnostic.numbers[1]);
    case Values::eventName: return withOffset(eventNameIn(texts, diagnostic.name));
    case Values::statusByte: return withOffset(static_cast<unsigned>(diagnostic.numbers[0]));
    case Values::fileName: return withOffset(fileName);
  }
  return withOffset();
}
