// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>

#include "check/check_state.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

// Program Change and Channel Pressure carry one data byte, the others two.
inline std::uint32_t channelDataLength(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The longest channel message: four bytes of delta time, a status byte and
// two data bytes.
inline constexpr std::uint32_t kLongestChannelEvent = kMaxVarLenBytes + 3;

// The fast path of the track event loop. Channel messages are nearly every
// event of a large file, and each costs the general steps (checkTrackEvents)
// four reads that record their offsets. skipChannelRun takes a run of them in
// one step.
//
// What it may skip: only events that certainly pass every general step. Each
// starts inside the track's declared length and is a channel message whose
// delta time, status byte (or the running status in force) and data bytes all
// lie in the image. Anything else, or anything it cannot be sure of, it leaves
// to the general steps. A new rule for channel messages must make this path
// stop before the events it concerns; channel_run_test.cpp and the fuzz
// target compare both paths and find any event it passes wrongly.
//
// What it must leave: position, lastPosition and *track exactly as the general
// steps would after checking the same events one by one. The stream stands
// just after the run's last message, lastPosition at that message's first data
// byte (the latest read is the skip of its data); elapsedTicks, runningStatus,
// eventIndex and sentEvent are updated for every event of the run.
//
// REQUIRES: the stream stands at the start of an event inside the track.
// Returns the number of events in the run; 0 when there is none, nothing
// changed. Inline: the event loop tries it before every event that is not
// part of a run, and a call costs more than most of those tries.
inline std::uint32_t skipChannelRun(TrackState* track) {
  const std::uint32_t available = memoryStream.remaining();
  // Events that start this near the end of the image are left to the general
  // steps, so that every field of an event below lies in the image.
  if (available < kLongestChannelEvent) return 0;
  const std::uint32_t trackLeft =
      track->trackLength - (memoryStream.position() - track->trackStart);
  const std::uint8_t* const start = memoryStream.ahead();
  // Every event of the run starts before this.
  const std::uint8_t* const end = start + std::min(trackLeft, available - kLongestChannelEvent + 1);
  // Kept in locals while the run lasts, so that nothing is stored per event.
  std::uint64_t elapsedTicks = track->elapsedTicks;
  std::uint8_t runningStatus = track->runningStatus;
  std::uint32_t dataLength = runningStatus != 0 ? channelDataLength(runningStatus) : 0;
  std::uint32_t events = 0;
  const std::uint8_t* next = start;  // the next event
  while (next < end) {
    const std::uint8_t* at = next;
    std::uint32_t deltaTime = 0;
    const std::uint32_t deltaSize = decodeVarLen(at, kMaxVarLenBytes, &deltaTime);
    if (deltaSize == 0) break;  // the invalid delta time is the general steps' to report
    at += deltaSize;
    if (*at >= 0x80) {
      if (*at >= 0xF0) break;  // SysEx, meta or invalid: the general steps
      runningStatus = *at++;
      dataLength = channelDataLength(runningStatus);
    } else if (runningStatus == 0) {
      break;  // the omitted status is an error for the general steps to report
    }
    elapsedTicks += deltaTime;
    ++events;
    next = at + dataLength;
  }
  if (events == 0) return 0;
  const std::uint8_t* const lastData = next - dataLength;  // of the run's last message
  track->elapsedTicks = elapsedTicks;
  track->runningStatus = runningStatus;
  track->eventIndex += events;
  track->sentEvent = true;
  // Never 0 bytes: a delta time comes first.
  memoryStream.skip(static_cast<std::uint32_t>(lastData - start));
  memoryStream.skip(static_cast<std::uint32_t>(next - lastData));
  return events;
}
