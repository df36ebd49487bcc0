// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <type_traits>

#include "catalogue/codes.h"
#include "check/diagnostic.h"
#include "stream/memory_stream.h"

// How the check steps report: each names the code of what it found and the
// values its message shows; the code's row in kCodes says which values those
// are, and a step that gives others does not compile. A failing step reads
// `return reportAtLastRead<Code::deltaTimeInvalid>();`.

namespace report_values {

template <typename V>
constexpr Values valueOf() {
  if constexpr (std::is_same_v<V, int>) return Values::number;
  if constexpr (std::is_same_v<V, EventName>) return Values::eventName;
  if constexpr (std::is_same_v<V, StatusByte>) return Values::statusByte;
  if constexpr (std::is_same_v<V, const char*>) return Values::fileName;
  return Values::none;
}

// The Values row that a list of value types makes; none for a list no row has.
template <typename... V>
constexpr Values valuesOf() {
  if constexpr (sizeof...(V) == 0) {
    return Values::none;
  } else if constexpr (sizeof...(V) == 1) {
    return valueOf<V...>();
  } else if constexpr ((std::is_same_v<V, int> && ...) && sizeof...(V) == 2) {
    return Values::twoNumbers;
  } else {
    return Values::none;
  }
}

inline void store(Diagnostic*) {}
inline void store(Diagnostic* d, int number) { d->numbers[0] = number; }
inline void store(Diagnostic* d, int first, int second) {
  d->numbers[0] = first;
  d->numbers[1] = second;
}
inline void store(Diagnostic* d, EventName name) { d->name = name; }
inline void store(Diagnostic* d, StatusByte status) { d->numbers[0] = status.value; }
inline void store(Diagnostic* d, const char* fileName) { d->fileName = fileName; }

}  // namespace report_values

// Adds the location of the event being checked, if any, and hands the
// diagnostic to this thread's sink.
void deliverDiagnostic(Diagnostic* diagnostic);

// Reports code at offset with its values. Returns false, so that a failing
// step can return it; a warning's caller goes on.
template <Code C, typename... V>
bool reportAt(std::uint32_t offset, V... values) {
  static_assert(codeInfo(C).values == report_values::valuesOf<V...>(),
                "the values given are not those the code's message shows");
  Diagnostic diagnostic;
  diagnostic.code = C;
  diagnostic.offset = offset;
  report_values::store(&diagnostic, values...);
  deliverDiagnostic(&diagnostic);
  return false;
}

// An error at the offset a positional diagnostic shows: where the latest read
// or skip that found data began.
template <Code C, typename... V>
bool reportAtLastRead(V... values) {
  static_assert(codeInfo(C).severity == Severity::error);
  return reportAt<C>(memoryStream.lastPosition(), values...);
}

// A warning at the latest read; checking goes on.
template <Code C>
void warnAtLastRead() {
  static_assert(codeInfo(C).severity == Severity::warning);
  reportAt<C>(memoryStream.lastPosition());
}

// A file error: the file named cannot be opened, sized, held or read.
template <Code C, typename... V>
bool reportFileError(V... values) {
  static_assert(codeInfo(C).severity == Severity::fileError);
  return reportAt<C>(0, values...);
}

// Reports the memory file error and returns false.
bool reportMemoryFailure();

// Offsets and lengths are unsigned 32-bit counts shown as signed numbers.
inline int asSigned(std::uint32_t value) {
  return static_cast<int>(static_cast<std::int32_t>(value));
}

// Reads the length bytes of a meta event's data into the scratch buffer.
// When the file ends first, reports the short data at the latest read; when
// the buffer cannot grow, the memory error.
bool readDeclaredData(std::uint32_t length);
