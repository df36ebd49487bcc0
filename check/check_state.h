// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// How the track event loop takes channel messages and the commonest meta
// events: in runs where it can (check/event_run.h), or each through the
// general steps. Both print and answer the same; tests compare them.
enum class EventPath { fast, general };

// What a check reports: the reference program's diagnostics, or those and
// the findings past its first error and beyond its rules (the library's).
enum class CheckMode { reference, findings };

// Values one check keeps between its steps; they live for one file only.
struct FileState {
  std::uint16_t format = 0;
  std::uint16_t declaredTracks = 0;
  // Track chunks closed so far; while a track is checked, its 0-based index.
  // Deliberately 32 bits, not 16 like the header's count: 65,536 extra track
  // chunks must not wrap it back to a count that matches the header (a file
  // of 65,537 tracks declaring 1 would conform), and track chunk 65,537 must
  // not pass for the first. The track-count error prints the true count.
  // Files below 65,536 track chunks see no difference.
  std::uint32_t completedTracks = 0;
  EventPath eventPath = EventPath::fast;
};

// The state of the track chunk being checked, started afresh for each one.
struct TrackState {
  std::uint32_t trackStart = 0;    // offset of the track's first delta time
  std::uint32_t trackLength = 0;   // the chunk's declared length
  std::uint64_t elapsedTicks = 0;  // delta times so far, the current event's included
  std::uint32_t eventIndex = 0;    // events completed before the current one
  std::uint32_t eventStart = 0;    // offset of the current event's delta time
  std::uint8_t runningStatus = 0;  // 0: no running status in force
  bool sentEvent = false;          // a channel or SysEx message has occurred
};
