// SPDX-License-Identifier: MIT
#include "check/track_events.h"

#include "check/check_support.h"
#include "check/diagnostic.h"
#include "check/event_outcome.h"
#include "check/event_run.h"
#include "check/meta_event.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"
#include "stream/meta_types.h"

namespace {

constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kEndOfSysEx = 0xF7;

// Past the reference rules, which frame a channel message by its length
// alone: a data byte has its top bit clear, or readers that tell status from
// data by that bit lose their place. REQUIRES: the data was just skipped.
void findHighDataBytes(std::uint8_t status, std::uint32_t dataLength) {
  const std::uint8_t* const data = memoryStream.lastBytes();
  for (std::uint32_t i = 0; i < dataLength; ++i) {
    if (data[i] >= 0x80) {
      reportAt<Code::dataByteHigh>(memoryStream.lastPosition() + i, channelMessage(status));
    }
  }
}

bool checkChannelMessage(std::uint8_t status, TrackState* track) {
  track->sentEvent = true;
  const std::uint32_t dataLength = channelDataLength(status);
  if (!memoryStream.skip(dataLength)) {
    return dataLength == 1 ? reportAtLastRead<Code::oneDataByte>(channelMessage(status))
                           : reportAtLastRead<Code::twoDataBytes>(channelMessage(status));
  }
  if (lookingForFindings()) findHighDataBytes(status, dataLength);
  return true;
}

bool checkSysEx(std::uint8_t status, TrackState* track) {
  track->sentEvent = true;
  std::uint32_t length = 0;
  if (!readVarLen(&length)) return reportAtLastRead<Code::sysExLengthUnreadable>();
  // The data is passed over, never copied: the outcome depends only on how
  // much of it the file holds and, for F0, on its last byte.
  if (memoryStream.pass(length) != length) {
    return reportAtLastRead<Code::sysExLengthWrong>(asSigned(length));
  }
  // Only the F0 form must close with F7; the escape form carries anything.
  // The length frames the message, so a check looking for findings reads on.
  if (status == kSysEx && (length == 0 || memoryStream.lastBytes()[length - 1] != kEndOfSysEx) &&
      !reportAtLastRead<Code::sysExUnterminated>()) {
    return false;
  }
  track->runningStatus = 0;
  return true;
}

// Takes the status byte of the next event, or the running status when the
// event leaves it out. False after an error.
bool takeStatus(TrackState* track, std::uint8_t* status) {
  std::uint8_t next = 0;
  if (!memoryStream.peekByte(&next)) return reportAtLastRead<Code::eventMissing>();
  if (next >= 0x80) {
    readByte(&next);  // cannot fail: the byte was just seen
    track->runningStatus = next;
    *status = next;
    return true;
  }
  if (track->runningStatus == 0) return reportAtLastRead<Code::statusOmitted>();
  *status = track->runningStatus;  // the byte seen is the first data byte
  return true;
}

EventOutcome checkEvent(const FileState& file, TrackState* track) {
  std::uint32_t deltaTime = 0;
  if (!readVarLen(&deltaTime)) {
    reportAtLastRead<Code::deltaTimeInvalid>();
    return EventOutcome::error;
  }
  track->elapsedTicks += deltaTime;
  std::uint8_t status = 0;
  if (!takeStatus(track, &status)) return EventOutcome::error;
  bool passed = false;
  if (status < kSysEx) {
    passed = checkChannelMessage(status, track);
  } else if (status == kSysEx || status == kSysExEscape) {
    passed = checkSysEx(status, track);
  } else if (status == kMetaEventStatus) {
    const EventOutcome outcome = checkMetaEvent(file, *track);
    if (outcome == EventOutcome::eventDone) track->runningStatus = 0;
    return outcome;
  } else {
    reportAtLastRead<Code::invalidEvent>(StatusByte{status});
  }
  return passed ? EventOutcome::eventDone : EventOutcome::error;
}

// The event loop of a check in `mode`: runs on that mode's fast path, the
// rest through the general steps. One loop per mode keeps the mode out of
// the loop.
template <CheckMode mode>
bool checkEvents(const FileState& file, TrackState* track) {
  for (;;) {
    track->eventStart = memoryStream.position();
    // The only place the declared length is consulted: an event may run past
    // the end of its track, and that is found here when the next one is due.
    if (memoryStream.position() - track->trackStart >= track->trackLength) {
      return reportAtLastRead<Code::endOfTrackMissing>(metaEvent(kEndOfTrackType));
    }
    if (file.eventPath == EventPath::fast && skipEventRun<mode>(file, track) > 0) continue;
    switch (checkEvent(file, track)) {
      case EventOutcome::error: return false;
      case EventOutcome::trackEnded: return true;
      case EventOutcome::eventDone: ++track->eventIndex; break;
    }
  }
}

}  // namespace

bool checkTrackEvents(const FileState& file, TrackState* track) {
  track->elapsedTicks = 0;
  track->eventIndex = 0;
  track->runningStatus = 0;
  track->sentEvent = false;
  return lookingForFindings() ? checkEvents<CheckMode::findings>(file, track)
                              : checkEvents<CheckMode::reference>(file, track);
}
