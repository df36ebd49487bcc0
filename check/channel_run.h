#pragma once

#include <cstdint>

#include "check/check_state.h"

// The fast path of the track event loop. Channel messages are nearly every
// event of a large file, and each costs the general steps (checkTrackEvents)
// four reads that record their offsets. skipChannelRun takes a run of them in
// one step.
//
// What it may skip: only events that certainly pass every general step. Each
// starts inside the track's declared length and is a channel message whose
// delta time, status byte (or the running status in force) and data bytes all
// lie in the image. Anything else, or anything it cannot be sure of, it leaves
// to the general steps; a new rule for channel messages must be added to both
// or make this path stop before the events it concerns.
//
// What it must leave: position, lastPosition and *track exactly as the general
// steps would after checking the same events one by one. The stream stands
// just after the run's last message, lastPosition at that message's first data
// byte (the latest read is the skip of its data); elapsedTicks, runningStatus,
// eventIndex and sentEvent are updated for every event of the run.
//
// REQUIRES: the stream stands at the start of an event inside the track.
// Returns the number of events in the run; 0 when there is none, nothing
// changed.
std::uint32_t skipChannelRun(TrackState* track);

// Program Change and Channel Pressure carry one data byte, the others two.
inline std::uint32_t channelDataLength(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}
