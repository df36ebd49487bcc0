// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "check/check_state.h"
#include "check/meta_rules.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"
#include "stream/meta_types.h"

// Program Change and Channel Pressure carry one data byte, the others two.
inline std::uint32_t channelDataLength(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The longest channel message: four bytes of delta time, a status byte and
// two data bytes. Every event that a run takes starts at least this far
// before the end of the image, so that its delta time, status byte and the
// type and first length byte of a meta event lie in it.
inline constexpr std::uint32_t kLongestChannelEvent = kMaxVarLenBytes + 3;

namespace event_run {

inline constexpr int kNotInRun = -2;

// For each meta-event type, the data length with which an event of that type
// certainly passes every general step of a meta event (a row's own length,
// or kAnyLength), or kNotInRun. A run takes only types whose content rule is
// none, or, where the track may hold the tempo map, the first-track rule of
// format 1, and whose data is not read; and Key Signature, whose values it
// tests with the rule's own keySignatureIsLegal (metaDataInRun). Every other
// rule (placement at the start of the track, Copyright Notice), the
// unrecognised types' warning and End of Track (its outcome ends the track)
// are left to the general steps. A new rule is a new MetaRule, which this
// table leaves out until it is listed here. A check looking for findings
// also leaves the types whose values it examines (findMetaValues).
constexpr std::array<int, 256> runLengths(bool tempoMapAllowed, CheckMode mode) {
  std::array<int, 256> lengths{};
  lengths.fill(kNotInRun);  // types without a row are not recognised
  for (const MetaType& row : meta_types::kMetaTypes) {
    const bool rulePasses = row.rule == MetaRule::none ||
                            (row.rule == MetaRule::inFirstTrackOfFormat1 && tempoMapAllowed);
    const bool valuesTested = row.rule == MetaRule::keySignatureValues;
    const bool taken = (rulePasses && !row.dataExamined) || valuesTested;
    const bool valuesFound = mode == CheckMode::findings && hasValueFindings(row.type);
    if (row.recognised && taken && !valuesFound && row.type != kEndOfTrackType) {
      lengths[row.type] = row.requiredLength;
    }
  }
  return lengths;
}

// The type whose row names the rule (one row per rule that a run tests).
constexpr std::uint8_t typeWithRule(MetaRule rule) {
  for (const MetaType& row : meta_types::kMetaTypes) {
    if (row.rule == rule) return row.type;
  }
  return kEndOfTrackType;  // never taken by a run
}

inline constexpr std::uint8_t kKeySignatureType = typeWithRule(MetaRule::keySignatureValues);

// The table for a check in `mode` of a track that may hold the tempo map,
// and of one that may not.
template <CheckMode mode>
inline constexpr std::array<std::array<int, 256>, 2> kRunLengths = {runLengths(true, mode),
                                                                    runLengths(false, mode)};

// The meta event whose status byte stands at `status`, in an image that ends
// at imageEnd, if a run may take it where `lengths` (runLengths) applies:
// where its data starts; *length is then its length field's value. Otherwise
// null. REQUIRES: the type and the first length byte lie in the image.
inline const std::uint8_t* metaDataInRun(const std::uint8_t* status, const std::uint8_t* imageEnd,
                                         const std::array<int, 256>& lengths,
                                         std::uint32_t* length) {
  const int required = lengths[status[1]];
  if (required == kNotInRun) return nullptr;
  const std::uint8_t* const lengthField = status + 2;
  const std::uint32_t lengthSize =
      decodeVarLen(lengthField, static_cast<std::uint32_t>(imageEnd - lengthField), length);
  if (lengthSize == 0) return nullptr;
  if (required != kAnyLength && *length != static_cast<std::uint32_t>(required)) return nullptr;
  const std::uint8_t* const data = lengthField + lengthSize;
  // The data and a byte after it lie in the image.
  if (*length >= static_cast<std::uint32_t>(imageEnd - data)) return nullptr;
  if (status[1] == kKeySignatureType && !keySignatureIsLegal(data)) return nullptr;
  return data;
}

// Eight events of three bytes checked in one step: the commonest stretch of
// a large file, a note or controller under running status with a one-byte
// delta time. Byte j of the 24 is a delta time when j % 3 == 0 and the first
// data byte when j % 3 == 1; both must have their top bit clear, and so must
// the second data byte for a check looking for findings.
struct EightTriples {
  std::array<std::uint64_t, 3> topBits;  // of the delta times and first data bytes
  std::array<std::uint64_t, 3> deltas;   // the delta times' bytes
};

constexpr EightTriples eightTriples() {
  EightTriples masks{};
  for (int j = 0; j < 24; ++j) {
    const int shift = 8 * (j % 8);
    if (j % 3 != 2) masks.topBits[j / 8] |= std::uint64_t{0x80} << shift;
    if (j % 3 == 0) masks.deltas[j / 8] |= std::uint64_t{0x7F} << shift;
  }
  return masks;
}

inline constexpr EightTriples kEightTriples = eightTriples();

// Eight at a time pays only where stretches of notes are long; where a
// controller or pitch bend breaks them every few notes, a try costs more than
// the notes it takes. A stretch tries it once it has lasted two notes while
// tries take something, and once it has lasted eight after a try that took
// nothing: a file whose stretches are short then stops paying for tries that
// cannot succeed, and one long stretch brings the early tries back.
inline constexpr std::uint32_t kNotesBeforeEightAfterSuccess = 2;
inline constexpr std::uint32_t kNotesBeforeEightAfterFailure = 8;

// Eight bytes in little-endian order (the compiler makes one load of it).
inline std::uint64_t littleEndian64(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// True iff the 24 bytes at `bytes` are eight events of a one-byte delta time
// and two data bytes under running status that a check in `mode` passes;
// *ticks is then the sum of their delta times. Every delta time has a byte
// lane of its own in the sum (8 is 2 mod 3, so the three words put their
// delta times in different lanes), and the lanes are added in pairs, then
// all at once.
template <CheckMode mode>
inline bool eightRunningTriples(const std::uint8_t* bytes, std::uint64_t* ticks) {
  const std::uint64_t a = littleEndian64(bytes);
  const std::uint64_t b = littleEndian64(bytes + 8);
  const std::uint64_t c = littleEndian64(bytes + 16);
  const EightTriples& m = kEightTriples;
  if constexpr (mode == CheckMode::findings) {
    if (((a | b | c) & 0x8080808080808080) != 0) return false;
  } else if (((a & m.topBits[0]) | (b & m.topBits[1]) | (c & m.topBits[2])) != 0) {
    return false;
  }
  const std::uint64_t lanes = (a & m.deltas[0]) + (b & m.deltas[1]) + (c & m.deltas[2]);
  constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FF;
  const std::uint64_t pairs = (lanes & kEvenBytes) + (lanes >> 8 & kEvenBytes);
  *ticks = (pairs * 0x0001000100010001) >> 48;
  return true;
}

// Whether a check in `mode` passes the data bytes of a channel message,
// data[0, length): the reference rules frame them by their length alone; a
// check looking for findings reports each with its top bit set.
template <CheckMode mode>
inline bool dataPasses(const std::uint8_t* data, std::uint32_t length) {
  if constexpr (mode == CheckMode::findings) {
    return ((data[0] | (length == 2 ? data[1] : 0)) & 0x80) == 0;
  }
  return true;
}

}  // namespace event_run

// The fast path of the track event loop, in a check of `mode`. Channel
// messages are nearly every event of a large file, and text and lyric events
// most of the rest; each costs the general steps (checkTrackEvents,
// checkMetaEvent) several reads that record their offsets. skipEventRun
// takes a run of them in one step.
//
// What it may skip: only events that certainly pass every general step. Each
// starts inside the track's declared length and is either a channel message
// whose delta time, status byte (or the running status in force) and data
// bytes all lie in the image, or a meta event of a type that
// event_run::runLengths admits, with a valid length quantity of the length
// required (and, for Key Signature, legal values), whose data ends at least
// one byte before the end of the image (a pass of 0 bytes at the very end
// would leave lastPosition elsewhere). A check looking for findings also
// leaves channel messages with a data byte whose top bit is set, and the meta
// types whose values it examines.
// Anything else, or anything it cannot be sure of, it leaves to the general
// steps. A new rule for channel messages or meta events must make this path
// stop before the events it concerns; event_run_test.cpp and the fuzz target
// compare both paths and find any event it passes wrongly.
//
// What it must leave: position, lastPosition and *track exactly as the general
// steps would after checking the same events one by one. The stream stands
// just after the run's last event, lastPosition at that event's first data
// byte (the latest read is the skip of a channel message's data, or the pass
// of a meta event's data: for a meta event without data, the byte after it);
// elapsedTicks, runningStatus, eventIndex and sentEvent are updated for every
// event of the run (a meta event cancels running status and sends nothing).
//
// How it reads them, commonest first: under running status with two data
// bytes, eight events of a one-byte delta time at once
// (event_run::eightRunningTriples), once a stretch of them has shown that
// this pays; under any running status, an event of a one-byte delta time
// whose next byte is data; anything else field by field.
//
// REQUIRES: the stream stands at the start of an event inside the track.
// Returns the number of events in the run; 0 when there is none, nothing
// changed. Inline: the event loop tries it before every event that is not
// part of a run, and a call costs more than most of those tries. Each mode
// has an event loop of its own (checkTrackEvents).
template <CheckMode mode>
inline std::uint32_t skipEventRun(const FileState& file, TrackState* track) {
  const std::uint32_t available = memoryStream.remaining();
  // Events that start this near the end of the image are left to the general
  // steps, so that every field of an event below lies in the image.
  if (available < kLongestChannelEvent) return 0;
  const std::uint32_t trackLeft =
      track->trackLength - (memoryStream.position() - track->trackStart);
  const std::uint8_t* const start = memoryStream.ahead();
  const std::uint8_t* const imageEnd = start + available;
  const std::array<int, 256>& metaLengths =
      event_run::kRunLengths<mode>[mayHoldFormat1TempoMap(file) ? 0 : 1];
  // Every event of the run starts before this.
  const std::uint8_t* const end = start + std::min(trackLeft, available - kLongestChannelEvent + 1);
  // Kept in locals while the run lasts, so that nothing is stored per event.
  std::uint64_t elapsedTicks = track->elapsedTicks;
  std::uint8_t runningStatus = track->runningStatus;
  // The data length of the latest event: under running status, that of every
  // channel message that follows.
  std::uint32_t dataLength = runningStatus != 0 ? channelDataLength(runningStatus) : 0;
  std::uint32_t events = 0;
  std::uint32_t metaEvents = 0;  // any other event of the run is a channel message
  std::uint32_t notesBeforeEight = event_run::kNotesBeforeEightAfterSuccess;
  const std::uint8_t* next = start;  // the next event
  while (next < end) {
    // Most events of a large file: a one-byte delta time and data under the
    // running status in force.
    if (runningStatus != 0) {
      std::uint32_t untilEight = notesBeforeEight;
      // Two top bits say so, and for findings those of the rest of the data.
      while (((next[0] | next[1]) & 0x80) == 0 &&
             event_run::dataPasses<mode>(next + 1, dataLength)) {
        elapsedTicks += next[0];
        ++events;
        next += 1 + dataLength;
        if (next >= end) break;
        // Eight at a time from here while they last, where that pays.
        if (--untilEight == 0 && dataLength == 2) {
          const std::uint8_t* const tried = next;
          std::uint64_t ticks = 0;
          while (end - next > 21 && event_run::eightRunningTriples<mode>(next, &ticks)) {
            elapsedTicks += ticks;
            events += 8;
            next += 24;
          }
          notesBeforeEight = next != tried ? event_run::kNotesBeforeEightAfterSuccess
                                           : event_run::kNotesBeforeEightAfterFailure;
          if (next >= end) break;
        }
      }
      if (next >= end) break;
    }
    const std::uint8_t* at = next;
    std::uint32_t deltaTime = 0;
    const std::uint32_t deltaSize = decodeVarLen(at, kMaxVarLenBytes, &deltaTime);
    if (deltaSize == 0) break;  // the invalid delta time is the general steps' to report
    at += deltaSize;
    if (*at >= 0x80) {
      if (*at == kMetaEventStatus) {
        std::uint32_t length = 0;
        const std::uint8_t* const data =
            event_run::metaDataInRun(at, imageEnd, metaLengths, &length);
        if (data == nullptr) break;
        runningStatus = 0;
        dataLength = length;
        ++metaEvents;
        at = data;
      } else {
        // SysEx, another meta event or invalid: the general steps.
        if (*at >= 0xF0 || !event_run::dataPasses<mode>(at + 1, channelDataLength(*at))) break;
        runningStatus = *at++;
        dataLength = channelDataLength(runningStatus);
      }
    } else if (runningStatus == 0) {
      break;  // the omitted status is an error for the general steps to report
    } else if (!event_run::dataPasses<mode>(at, dataLength)) {
      break;
    }
    elapsedTicks += deltaTime;
    ++events;
    next = at + dataLength;
  }
  if (events == 0) return 0;
  const std::uint8_t* const lastData = next - dataLength;  // of the run's last event
  track->elapsedTicks = elapsedTicks;
  track->runningStatus = runningStatus;
  track->eventIndex += events;
  if (events > metaEvents) track->sentEvent = true;
  // Never 0 bytes: a delta time comes first. The data is passed, not
  // skipped, so that a meta event without data leaves lastPosition after it,
  // as its pass of 0 bytes does; the run stops short of the image's end.
  memoryStream.skip(static_cast<std::uint32_t>(lastData - start));
  memoryStream.pass(static_cast<std::uint32_t>(next - lastData));
  return events;
}
