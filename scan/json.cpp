// SPDX-License-Identifier: MIT
#include "scan/json.h"

#include <charconv>

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void appendEscaped(std::string* out, unsigned char byte) {
  switch (byte) {
    case '"': *out += "\\\""; return;
    case '\\': *out += "\\\\"; return;
    case '\n': *out += "\\n"; return;
    case '\r': *out += "\\r"; return;
    case '\t': *out += "\\t"; return;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  *out += "\\u00";
  *out += kHex[byte >> 4];
  *out += kHex[byte & 0xF];
}

template <typename Integer>
void appendInteger(std::string* out, Integer value) {
  char digits[24];
  const auto [end, status] = std::to_chars(digits, digits + sizeof digits, value);
  out->append(digits, end);
}

// Printable ASCII other than the quote and the backslash: copied as it is.
bool isPlainAscii(unsigned char byte) {
  return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80;   // the range of the second byte, narrowed where
  unsigned char high = 0xBF;  // overlong forms, surrogates and > U+10FFFF start
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

bool appendJsonString(std::string* out, std::string_view text) {
  bool exact = true;
  *out += '"';
  std::size_t at = 0;
  while (at < text.size()) {
    // Names and messages are mostly plain ASCII: copied a run at a time.
    std::size_t plain = at;
    while (plain < text.size() && isPlainAscii(static_cast<unsigned char>(text[plain]))) ++plain;
    out->append(text, at, plain - at);
    at = plain;
    if (at == text.size()) break;
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      appendEscaped(out, byte);
      ++at;
      continue;
    }
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) {
      *out += "\xEF\xBF\xBD";  // U+FFFD
      exact = false;
      ++at;
      continue;
    }
    out->append(text, at, length);
    at += length;
  }
  *out += '"';
  return exact;
}

void appendJsonKey(std::string* out, std::string_view key, bool first) {
  if (!first) *out += ',';
  *out += '"';
  *out += key;
  *out += "\":";
}

void appendJsonNumber(std::string* out, std::int64_t value) { appendInteger(out, value); }
void appendJsonUnsigned(std::string* out, std::uint64_t value) { appendInteger(out, value); }
void appendJsonBool(std::string* out, bool value) { *out += value ? "true" : "false"; }

std::string base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t left = bytes.size() - at;
    std::uint32_t group = static_cast<unsigned char>(bytes[at]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[at + 2]);
    encoded += kDigits[(group >> 18) & 63];
    encoded += kDigits[(group >> 12) & 63];
    encoded += left > 1 ? kDigits[(group >> 6) & 63] : '=';
    encoded += left > 2 ? kDigits[group & 63] : '=';
  }
  return encoded;
}
