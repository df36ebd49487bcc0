// SPDX-License-Identifier: MIT
#include "scan/json.h"

#include <gtest/gtest.h>

namespace {

struct StringCase {
  const char* label;
  std::string_view bytes;
  const char* json;
  bool exact;
};

// Each escape once, UTF-8 kept, and each way a byte sequence fails to be
// UTF-8 replaced by U+FFFD one byte at a time.
const StringCase kStringCases[] = {
    {"plain", "song.mid", "\"song.mid\"", true},
    {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\"", true},
    {"line end, return, tab", "a\nb\rc\td", "\"a\\nb\\rc\\td\"", true},
    {"other control bytes", std::string_view("\x01\x1b\x7f", 3), "\"\\u0001\\u001b\\u007f\"", true},
    {"NUL", std::string_view("a\0b", 3), "\"a\\u0000b\"", true},
    {"two-byte UTF-8", "caf\xC3\xA9", "\"caf\xC3\xA9\"", true},
    {"three-byte UTF-8", "\xE6\x9B\xB2", "\"\xE6\x9B\xB2\"", true},
    {"four-byte UTF-8", "\xF0\x9F\x8E\xB5", "\"\xF0\x9F\x8E\xB5\"", true},
    {"lone continuation", "a\x80z", "\"a\xEF\xBF\xBDz\"", false},
    {"overlong two-byte", "\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", false},
    {"overlong three-byte", "\xE0\x80\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", false},
    {"surrogate", "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", false},
    {"above U+10FFFF", "\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
     false},
    {"cut short at the end", "ok\xE6\x9B", "\"ok\xEF\xBF\xBD\xEF\xBF\xBD\"", false},
    {"CP932 bytes", "\x83\x65\x83\x58\x83\x67",
     "\"\xEF\xBF\xBD\x65\xEF\xBF\xBD\x58\xEF\xBF\xBD\x67\"", false},
};

TEST(JsonString, EscapesAndReplacesByteForByte) {
  for (const StringCase& c : kStringCases) {
    std::string out;
    EXPECT_EQ(appendJsonString(&out, c.bytes), c.exact) << c.label;
    EXPECT_EQ(out, c.json) << c.label;
  }
}

TEST(JsonString, Utf8SequenceLengthAtEachLead) {
  EXPECT_EQ(utf8SequenceLength("a", 0), 1u);
  EXPECT_EQ(utf8SequenceLength("\xC3\xA9", 0), 2u);
  EXPECT_EQ(utf8SequenceLength("\xEF\xBF\xBD", 0), 3u);
  EXPECT_EQ(utf8SequenceLength("\xF4\x8F\xBF\xBF", 0), 4u);  // U+10FFFF, the last
  EXPECT_EQ(utf8SequenceLength("\xF5\x80\x80\x80", 0), 0u);
  EXPECT_EQ(utf8SequenceLength("\xE2\x82", 0), 0u);
}

// RFC 4648's test vectors.
TEST(Base64, EncodesTheStandardVectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [bytes, encoded] : vectors) EXPECT_EQ(base64(bytes), encoded) << bytes;
  EXPECT_EQ(base64(std::string_view("\xFF\xFE\x00", 3)), "//4A");
}

TEST(JsonMembers, KeysAreCommaSeparatedAfterTheFirst) {
  std::string out = "{";
  appendJsonKey(&out, "a", true);
  appendJsonNumber(&out, -1);
  appendJsonKey(&out, "b");
  appendJsonUnsigned(&out, 18446744073709551615u);
  appendJsonKey(&out, "c");
  appendJsonBool(&out, false);
  out += '}';
  EXPECT_EQ(out, "{\"a\":-1,\"b\":18446744073709551615,\"c\":false}");
}

}  // namespace
