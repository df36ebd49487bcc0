// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

// Appends text as a JSON string, quotes included. Control bytes (and 0x7F)
// are escaped; bytes that are not UTF-8 become U+FFFD, since a JSON string
// holds Unicode only. Returns false when some did.
bool appendJsonString(std::string* out, std::string_view text);

// Appends "key": with a string, a number or a boolean value, after a comma
// unless it is the object's first member.
void appendJsonKey(std::string* out, std::string_view key, bool first = false);
void appendJsonNumber(std::string* out, std::int64_t value);
void appendJsonUnsigned(std::string* out, std::uint64_t value);
void appendJsonBool(std::string* out, bool value);

// Appends "key": value, after a comma unless first, in the form of value's
// type: a string, a boolean, or a signed or unsigned number.
template <typename T>
void appendJsonMember(std::string* out, std::string_view key, const T& value, bool first = false) {
  appendJsonKey(out, key, first);
  if constexpr (std::is_same_v<T, bool>) {
    appendJsonBool(out, value);
  } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
    appendJsonString(out, value);
  } else if constexpr (std::is_signed_v<T>) {
    appendJsonNumber(out, value);
  } else {
    appendJsonUnsigned(out, value);
  }
}

// The bytes in standard base64, for a name that JSON cannot hold as it is.
std::string base64(std::string_view bytes);

// The length of the valid UTF-8 sequence at text[at], or 0 when none starts
// there (no overlong form, no surrogate, nothing above U+10FFFF).
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);
