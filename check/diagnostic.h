// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "catalogue/codes.h"

// A diagnostic as a value: what the checker found and where. Front ends render
// it (render/diagnostic_text.h) or hand it on as data; the checker prints
// nothing itself.

// The display name a message shows, kept as its key so that each front end
// names it in its own language.
struct EventName {
  enum class Kind : std::uint8_t { none, channelMessage, metaEvent };
  Kind kind = Kind::none;
  std::uint8_t key = 0;  // the status byte, or the meta-event type
};

inline EventName channelMessage(std::uint8_t status) {
  return {EventName::Kind::channelMessage, status};
}
inline EventName metaEvent(std::uint8_t type) { return {EventName::Kind::metaEvent, type}; }

// A status byte shown in hexadecimal.
struct StatusByte {
  std::uint8_t value;
};

// Where in the music: set for a diagnostic inside a track chunk.
struct Location {
  std::uint32_t track = 0;        // which track chunk, counting from 1; 0: outside a track
  std::uint32_t event = 0;        // the event within the track, counting from 1
  std::uint64_t tick = 0;         // the track's delta times up to the event, its own included
  std::uint32_t eventOffset = 0;  // where the event starts
};

struct Diagnostic {
  Code code = Code::headerMalformed;
  std::uint32_t offset = 0;  // of the field concerned; none for a file error
  Location location;
  std::int32_t numbers[2] = {};    // the values a number or two show, or the status byte
  EventName name;                  // the event a message names
  const char* fileName = nullptr;  // a file error's file, valid while a sink receives it
};

// Where a check hands its diagnostics, one at a time, in the order found.
struct DiagnosticSink {
  void (*receive)(void* context, const Diagnostic& diagnostic) = nullptr;
  void* context = nullptr;

  void operator()(const Diagnostic& diagnostic) const { receive(context, diagnostic); }
};
