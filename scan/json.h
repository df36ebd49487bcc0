// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The bytes in standard base64, for a name that JSON cannot hold as it is.
std::string base64(std::string_view bytes);

// The length of the valid UTF-8 sequence at text[at], or 0 when none starts
// there (no overlong form, no surrogate, nothing above U+10FFFF).
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);
