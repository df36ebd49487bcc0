#pragma once

#include <cstdint>

// Values one check keeps between its steps; they live for one file only.
struct FileState {
  std::uint16_t format = 0;
  std::uint16_t declaredTracks = 0;
  // Track chunks closed so far; while a track is checked, its 0-based index.
  // 32 bits, so that 65,536 extra track chunks cannot wrap it back to a
  // count that matches the header.
  std::uint32_t completedTracks = 0;
};

// The state of the track chunk being checked, started afresh for each one.
struct TrackState {
  std::uint32_t trackStart = 0;   // offset of the track's first delta time
  std::uint32_t trackLength = 0;  // the chunk's declared length
  std::uint64_t elapsedTicks = 0;  // delta times so far, the current event's included
  std::uint32_t eventIndex = 0;    // events completed before the current one
  std::uint8_t runningStatus = 0;  // 0: no running status in force
  bool sentEvent = false;          // a channel or SysEx message has occurred
};
