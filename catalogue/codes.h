// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// Every diagnostic the checker can give, as a stable code. A code's name (the
// second column of kCodes) is what scripts match on: once released it never
// changes meaning and is never reused, and a new code goes at the end.
enum class Code : std::uint8_t {
  // Loading a file.
  openFailed,
  sizeFailed,
  memoryFailed,
  readFailed,
  // The header chunk.
  headerMalformed,
  headerLengthUnreadable,
  headerLengthNotSix,
  formatUnreadable,
  formatInvalid,
  tracksUnreadable,
  divisionUnreadable,
  smpteInvalid,
  // The chain of chunks and the track count.
  chunkMalformed,
  chunkLengthUnreadable,
  unknownChunk,
  blockLengthWrong,
  trackLengthWrong,
  trackCountWrong,
  // Track events.
  endOfTrackMissing,
  deltaTimeInvalid,
  eventMissing,
  statusOmitted,
  oneDataByte,
  twoDataBytes,
  sysExLengthUnreadable,
  sysExLengthWrong,
  sysExUnterminated,
  invalidEvent,
  // Meta-event framing.
  metaTypeMissing,
  metaLengthUnreadable,
  metaLengthFixed,
  metaDataLengthWrong,
  unknownMetaType,
  // Meta-event content rules.
  notAtTrackStart,
  notInFirstTrack,
  copyrightSignMissing,
  copyrightMisplaced,
  tooManyFlats,
  tooManySharps,
  modeInvalid,
};

enum class Severity : std::uint8_t {
  error,      // a rule broken at an offset; ends the check of the file
  warning,    // something unknown, stepped over; checking goes on
  fileError,  // the file cannot be opened, sized, held or read
};

// How far a reader can trust the file past an error.
enum class Grade : std::uint8_t {
  none,            // warnings and file errors
  structure,       // the file cannot be read as an SMF past this point
  content,         // it reads, but a value or a placement breaks a rule
  recommendation,  // a "should" of the standard, or a house rule of the checker
};

// The values a message shows besides the offset, in order.
enum class Values : std::uint8_t {
  none,
  number,      // %d: a length, a format, a frame rate
  twoNumbers,  // %d %d: the declared and the found track count
  eventName,   // %s: the display name of a channel message or meta event
  statusByte,  // %2X
  fileName,    // %s: the file name as given
};

struct CodeInfo {
  Code code;
  const char* name;
  Severity severity;
  Grade grade;
  Values values;
};

// clang-format off
inline constexpr CodeInfo kCodes[] = {
    {Code::openFailed,             "open-failed",              Severity::fileError, Grade::none,           Values::fileName},
    {Code::sizeFailed,             "size-failed",              Severity::fileError, Grade::none,           Values::fileName},
    {Code::memoryFailed,           "memory-failed",            Severity::fileError, Grade::none,           Values::none},
    {Code::readFailed,             "read-failed",              Severity::fileError, Grade::none,           Values::fileName},
    {Code::headerMalformed,        "header-malformed",         Severity::error,     Grade::structure,      Values::none},
    {Code::headerLengthUnreadable, "header-length-unreadable", Severity::error,     Grade::structure,      Values::none},
    {Code::headerLengthNotSix,     "header-length",            Severity::error,     Grade::structure,      Values::number},
    {Code::formatUnreadable,       "format-unreadable",        Severity::error,     Grade::structure,      Values::none},
    {Code::formatInvalid,          "format-invalid",           Severity::error,     Grade::content,        Values::number},
    {Code::tracksUnreadable,       "track-count-unreadable",   Severity::error,     Grade::structure,      Values::none},
    {Code::divisionUnreadable,     "division-unreadable",      Severity::error,     Grade::structure,      Values::none},
    {Code::smpteInvalid,           "smpte-frame-rate",         Severity::error,     Grade::content,        Values::number},
    {Code::chunkMalformed,         "chunk-malformed",          Severity::error,     Grade::structure,      Values::none},
    {Code::chunkLengthUnreadable,  "chunk-length-unreadable",  Severity::error,     Grade::structure,      Values::none},
    {Code::unknownChunk,           "unknown-chunk",            Severity::warning,   Grade::none,           Values::none},
    {Code::blockLengthWrong,       "chunk-length",             Severity::error,     Grade::structure,      Values::number},
    {Code::trackLengthWrong,       "track-length",             Severity::error,     Grade::structure,      Values::number},
    {Code::trackCountWrong,        "track-count",              Severity::error,     Grade::content,        Values::twoNumbers},
    {Code::endOfTrackMissing,      "end-of-track-missing",     Severity::error,     Grade::structure,      Values::eventName},
    {Code::deltaTimeInvalid,       "delta-time",               Severity::error,     Grade::structure,      Values::none},
    {Code::eventMissing,           "event-missing",            Severity::error,     Grade::structure,      Values::none},
    {Code::statusOmitted,          "running-status",           Severity::error,     Grade::structure,      Values::none},
    {Code::oneDataByte,            "channel-data-one-byte",    Severity::error,     Grade::structure,      Values::eventName},
    {Code::twoDataBytes,           "channel-data-two-bytes",   Severity::error,     Grade::structure,      Values::eventName},
    {Code::sysExLengthUnreadable,  "sysex-length-unreadable",  Severity::error,     Grade::structure,      Values::none},
    {Code::sysExLengthWrong,       "sysex-length",             Severity::error,     Grade::structure,      Values::number},
    {Code::sysExUnterminated,      "sysex-unterminated",       Severity::error,     Grade::content,        Values::none},
    {Code::invalidEvent,           "invalid-status",           Severity::error,     Grade::structure,      Values::statusByte},
    {Code::metaTypeMissing,        "meta-type-missing",        Severity::error,     Grade::structure,      Values::none},
    {Code::metaLengthUnreadable,   "meta-length-unreadable",   Severity::error,     Grade::structure,      Values::none},
    {Code::metaLengthFixed,        "meta-length-fixed",        Severity::error,     Grade::content,        Values::eventName},
    {Code::metaDataLengthWrong,    "meta-length",              Severity::error,     Grade::structure,      Values::number},
    {Code::unknownMetaType,        "unknown-meta-type",        Severity::warning,   Grade::none,           Values::none},
    {Code::notAtTrackStart,        "not-at-track-start",       Severity::error,     Grade::content,        Values::eventName},
    {Code::notInFirstTrack,        "not-in-first-track",       Severity::error,     Grade::content,        Values::eventName},
    {Code::copyrightSignMissing,   "copyright-text",           Severity::error,     Grade::recommendation, Values::eventName},
    {Code::copyrightMisplaced,     "copyright-placement",      Severity::error,     Grade::recommendation, Values::eventName},
    {Code::tooManyFlats,           "key-signature-flats",      Severity::error,     Grade::content,        Values::eventName},
    {Code::tooManySharps,          "key-signature-sharps",     Severity::error,     Grade::content,        Values::eventName},
    {Code::modeInvalid,            "key-signature-mode",       Severity::error,     Grade::content,        Values::eventName},
};
// clang-format on

inline constexpr std::size_t kCodeCount = std::size(kCodes);

constexpr const CodeInfo& codeInfo(Code code) { return kCodes[static_cast<std::size_t>(code)]; }

// Row i describes the code whose value is i, so that codeInfo is one index.
constexpr bool codesInOrder() {
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    if (static_cast<std::size_t>(kCodes[i].code) != i) return false;
  }
  return true;
}
static_assert(codesInOrder(), "kCodes must list every code once, in the order of Code");
static_assert(static_cast<std::size_t>(Code::modeInvalid) + 1 == kCodeCount,
              "kCodes must end with the last code");
