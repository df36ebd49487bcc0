#include "check/track_events.h"

#include <algorithm>

#include "app/report.h"
#include "check/check_support.h"
#include "check/meta_event.h"
#include "stream/event_names.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

constexpr char kEndOfTrackMissing[] = "エラー(%d): トラックの最後に、%sメタイベントが存在しません。\n";
constexpr char kDeltaTimeInvalid[] = "エラー(%d): デルタタイムが不正です。\n";
constexpr char kEventMissing[] = "エラー(%d): デルタタイムが存在するのに、イベントが存在しません。\n";
constexpr char kStatusOmitted[] = "エラー(%d): ランニングステータスが無効になっているので、MIDIイベントのステータスバイトを省略できません。\n";
constexpr char kOneDataByte[] = "エラー(%d): %sのステータスバイトを除いたデータ長は、1バイトでなければなりません。\n";
constexpr char kTwoDataBytes[] = "エラー(%d): %sのステータスバイトを除いたデータ長は、2バイトでなければなりません。\n";
constexpr char kSysExLengthUnreadable[] = "エラー(%d): SysExメッセージのデータ長を、取得できません。\n";
constexpr char kSysExLengthWrong[] = "エラー(%d): SysExメッセージのデータ長が、指定の長さ(%d)と異なります。\n";
constexpr char kSysExUnterminated[] = "エラー(%d): F0ステータスのSysExメッセージは、F7で終了しなければなりません。\n";
constexpr char kInvalidEvent[] = "エラー(%d): 不正なイベント(%2X)です。\n";

constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kEndOfSysEx = 0xF7;
constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kEndOfTrackType = 0x2F;

// Program Change and Channel Pressure carry one data byte, the others two.
std::uint32_t channelDataLength(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool checkChannelMessage(std::uint8_t status, TrackState* track) {
  track->sentEvent = true;
  const std::uint32_t dataLength = channelDataLength(status);
  if (!memoryStream.skip(dataLength)) {
    return reportError(dataLength == 1 ? kOneDataByte : kTwoDataBytes, lastOffset(),
                       channelMessageName(status & 0xF0));
  }
  return true;
}

bool checkSysEx(std::uint8_t status, TrackState* track) {
  track->sentEvent = true;
  std::uint32_t length = 0;
  if (!readVarLen(&length)) return reportError(kSysExLengthUnreadable, lastOffset());
  // The data is passed over, never copied: the outcome depends only on how
  // much of it the file holds and, for F0, on its last byte.
  if (memoryStream.pass(length) != length) {
    return reportError(kSysExLengthWrong, lastOffset(), asSigned(length));
  }
  // Only the F0 form must close with F7; the escape form carries anything.
  if (status == kSysEx && (length == 0 || memoryStream.lastBytes()[length - 1] != kEndOfSysEx)) {
    return reportError(kSysExUnterminated, lastOffset());
  }
  track->runningStatus = 0;
  return true;
}

// Takes the status byte of the next event, or the running status when the
// event leaves it out. False after an error.
bool takeStatus(TrackState* track, std::uint8_t* status) {
  std::uint8_t next = 0;
  if (!memoryStream.peekByte(&next)) return reportError(kEventMissing, lastOffset());
  if (next >= 0x80) {
    readByte(&next);  // cannot fail: the byte was just seen
    track->runningStatus = next;
    *status = next;
    return true;
  }
  if (track->runningStatus == 0) return reportError(kStatusOmitted, lastOffset());
  *status = track->runningStatus;  // the byte seen is the first data byte
  return true;
}

EventOutcome checkEvent(const FileState& file, TrackState* track) {
  std::uint32_t deltaTime = 0;
  if (!readVarLen(&deltaTime)) {
    reportError(kDeltaTimeInvalid, lastOffset());
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
  } else if (status == kMetaEvent) {
    const EventOutcome outcome = checkMetaEvent(file, *track);
    if (outcome == EventOutcome::eventDone) track->runningStatus = 0;
    return outcome;
  } else {
    reportError(kInvalidEvent, lastOffset(), unsigned{status});
  }
  return passed ? EventOutcome::eventDone : EventOutcome::error;
}

// The longest channel message: four bytes of delta time, a status byte and
// two data bytes.
constexpr std::uint32_t kLongestChannelEvent = 7;

// Decodes the rest of a variable-length quantity whose first byte, `first`,
// had its top bit set and stood just before *at; moves *at past it. All of
// its at most four bytes must lie in the image. False when the fourth byte
// still has its top bit set.
bool quantityRestAhead(std::uint32_t first, const std::uint8_t** at, std::uint32_t* value) {
  std::uint32_t sum = first & 0x7F;
  for (int i = 1; i < 4; ++i) {
    const std::uint8_t byte = *(*at)++;
    sum = (sum << 7) | (byte & 0x7F);
    if (byte < 0x80) {
      *value = sum;
      return true;
    }
  }
  return false;
}

// Channel messages are nearly every event of a large file, and each costs the
// general steps four reads that record their offsets. Looking ahead of the
// stream, this finds the run of events that certainly pass every step: each
// starts inside the track and is a channel message whose delta time, status
// byte (or running status) and data bytes all lie in the image. It applies
// their effects on *track, then consumes the run so that the stream is left
// as the event-by-event reads would leave it: the latest read is the skip of
// the last message's data. Returns the number of events in the run.
// REQUIRES: the track has bytes left.
std::uint32_t skipChannelRun(TrackState* track) {
  const std::uint32_t available = memoryStream.remaining();
  // Events that start this near the end of the image are left to the
  // general steps, so that no field below needs a test of its own.
  if (available < kLongestChannelEvent) return 0;
  const std::uint32_t trackLeft =
      track->trackLength - (memoryStream.position() - track->trackStart);
  const std::uint8_t* const start = memoryStream.ahead();
  const std::uint8_t* const end =
      start + std::min(trackLeft, available - kLongestChannelEvent + 1);
  // Kept in locals while the run lasts, so that nothing is stored per event.
  std::uint64_t elapsedTicks = track->elapsedTicks;
  std::uint8_t runningStatus = track->runningStatus;
  std::uint32_t dataLength = runningStatus != 0 ? channelDataLength(runningStatus) : 0;
  std::uint32_t events = 0;
  const std::uint8_t* next = start;  // the next event
  while (next < end) {
    const std::uint8_t* at = next;
    std::uint32_t deltaTime = *at++;
    if (deltaTime >= 0x80 && !quantityRestAhead(deltaTime, &at, &deltaTime)) break;
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

}  // namespace

bool checkTrackEvents(const FileState& file, TrackState* track) {
  track->elapsedTicks = 0;
  track->eventIndex = 0;
  track->runningStatus = 0;
  track->sentEvent = false;
  for (;;) {
    // The only place the declared length is consulted: an event may run past
    // the end of its track, and that is found here when the next one is due.
    if (memoryStream.position() - track->trackStart >= track->trackLength) {
      return reportError(kEndOfTrackMissing, lastOffset(), metaEventName(kEndOfTrackType));
    }
    if (skipChannelRun(track) > 0) continue;
    switch (checkEvent(file, track)) {
      case EventOutcome::error: return false;
      case EventOutcome::trackEnded: return true;
      case EventOutcome::eventDone: ++track->eventIndex; break;
    }
  }
}
