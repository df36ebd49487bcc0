#include "check/meta_event.h"

#include "app/report.h"
#include "check/check_support.h"
#include "check/meta_rules.h"
#include "stream/event_names.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"
#include "stream/meta_types.h"

namespace {

constexpr char kTypeMissing[] = "エラー(%d): メタイベントの形式を取得できません。\n";
constexpr char kLengthUnreadable[] = "エラー(%d): メタイベントのデータ長を取得できません。\n";
constexpr char kDataLengthWrong[] = "エラー(%d): メタイベントのデータ長が、指定の長さ(%d)と異なります。\n";
constexpr char kUnknownType[] = "警告(%d): メタイベントの種類が不明です。\n";

// Indexed by the required data length.
constexpr const char* kFixedLengthWrong[] = {
    "エラー(%d): %sのデータ長は、0バイトでなければなりません。\n",
    "エラー(%d): %sのデータ長は、1バイトでなければなりません。\n",
    "エラー(%d): %sのデータ長は、2バイトでなければなりません。\n",
    "エラー(%d): %sのデータ長は、3バイトでなければなりません。\n",
    "エラー(%d): %sのデータ長は、4バイトでなければなりません。\n",
    "エラー(%d): %sのデータ長は、5バイトでなければなりません。\n",
};

constexpr std::uint8_t kEndOfTrackType = 0x2F;

// Reads the data into the scratch buffer for the rules that examine it, and
// otherwise passes over it in the image with the same effects on the stream,
// so that a huge text event never takes a second copy in memory. On success
// *data is where the length bytes now stand.
bool takeData(const MetaType& meta, std::uint32_t length, const std::uint8_t** data) {
  if (meta.dataExamined) {
    if (!readDeclaredData(length, kDataLengthWrong)) return false;
    *data = scratchBuffer.data();
    return true;
  }
  if (memoryStream.pass(length) != length) {
    return reportError(kDataLengthWrong, lastOffset(), asSigned(length));
  }
  *data = memoryStream.lastBytes();
  return true;
}

// Unrecognised data is stepped over, never buffered.
bool skipUnknownData(std::uint32_t length) {
  printDiagnostic(kUnknownType, lastOffset());
  if (!memoryStream.skip(length)) {
    return reportError(kDataLengthWrong, lastOffset(), asSigned(length));
  }
  return true;
}

// Length, data and content rules of a meta event whose type byte was read.
bool checkMetaBody(std::uint8_t type, const FileState& file, const TrackState& track) {
  std::uint32_t length = 0;
  if (!readVarLen(&length)) return reportError(kLengthUnreadable, lastOffset());
  const MetaType& meta = metaType(type);
  // The fixed length is tested before any data is read.
  if (meta.requiredLength != kAnyLength &&
      length != static_cast<std::uint32_t>(meta.requiredLength)) {
    return reportError(kFixedLengthWrong[meta.requiredLength], lastOffset(),
                       metaEventName(type));
  }
  if (!meta.recognised) return skipUnknownData(length);
  const std::uint8_t* data = nullptr;
  return takeData(meta, length, &data) && checkMetaRules(meta, data, length, file, track);
}

}  // namespace

EventOutcome checkMetaEvent(const FileState& file, const TrackState& track) {
  std::uint8_t type = 0;
  if (!readByte(&type)) {
    reportError(kTypeMissing, lastOffset());
    return EventOutcome::error;
  }
  if (!checkMetaBody(type, file, track)) return EventOutcome::error;
  return type == kEndOfTrackType ? EventOutcome::trackEnded : EventOutcome::eventDone;
}
