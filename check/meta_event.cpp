// SPDX-License-Identifier: MIT
#include "check/meta_event.h"

#include "check/check_support.h"
#include "check/meta_rules.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"
#include "stream/meta_types.h"

namespace {

// Reads the data into the scratch buffer for the rules that examine it, and
// otherwise passes over it in the image with the same effects on the stream,
// so that a huge text event never takes a second copy in memory. On success
// *data is where the length bytes now stand.
bool takeData(const MetaType& meta, std::uint32_t length, const std::uint8_t** data) {
  if (meta.dataExamined) {
    if (!readDeclaredData(length)) return false;
    *data = scratchBuffer.data();
    return true;
  }
  if (memoryStream.pass(length) != length) {
    return reportAtLastRead<Code::metaDataLengthWrong>(asSigned(length));
  }
  *data = memoryStream.lastBytes();
  return true;
}

// Unrecognised data is stepped over, never buffered.
bool skipUnknownData(std::uint32_t length) {
  warnAtLastRead<Code::unknownMetaType>();
  if (!memoryStream.skip(length)) {
    return reportAtLastRead<Code::metaDataLengthWrong>(asSigned(length));
  }
  return true;
}

// Length, data and content rules of a meta event whose type byte was read.
bool checkMetaBody(std::uint8_t type, const FileState& file, const TrackState& track) {
  std::uint32_t length = 0;
  if (!readVarLen(&length)) return reportAtLastRead<Code::metaLengthUnreadable>();
  const MetaType& meta = metaType(type);
  // The fixed length is tested before any data is read.
  if (meta.requiredLength != kAnyLength &&
      length != static_cast<std::uint32_t>(meta.requiredLength)) {
    return reportAtLastRead<Code::metaLengthFixed>(metaEvent(type));
  }
  if (!meta.recognised) return skipUnknownData(length);
  const std::uint8_t* data = nullptr;
  return takeData(meta, length, &data) && checkMetaRules(meta, data, length, file, track);
}

}  // namespace

EventOutcome checkMetaEvent(const FileState& file, const TrackState& track) {
  std::uint8_t type = 0;
  if (!readByte(&type)) {
    reportAtLastRead<Code::metaTypeMissing>();
    return EventOutcome::error;
  }
  if (!checkMetaBody(type, file, track)) return EventOutcome::error;
  return type == kEndOfTrackType ? EventOutcome::trackEnded : EventOutcome::eventDone;
}
