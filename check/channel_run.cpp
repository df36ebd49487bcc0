#include "check/channel_run.h"

#include <algorithm>

#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

// The longest channel message: four bytes of delta time, a status byte and
// two data bytes.
constexpr std::uint32_t kLongestChannelEvent = kMaxVarLenBytes + 3;

}  // namespace

std::uint32_t skipChannelRun(TrackState* track) {
  const std::uint32_t available = memoryStream.remaining();
  // Events that start this near the end of the image are left to the general
  // steps, so that every field of an event below lies in the image.
  if (available < kLongestChannelEvent) return 0;
  const std::uint32_t trackLeft =
      track->trackLength - (memoryStream.position() - track->trackStart);
  const std::uint8_t* const start = memoryStream.ahead();
  // Every event of the run starts before this.
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
