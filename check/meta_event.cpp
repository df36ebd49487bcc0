#include "check/meta_event.h"

#include "app/report.h"
#include "check/check_support.h"
#include "check/meta_rules.h"
#include "stream/event_names.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

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
constexpr int kAnyLength = -1;

struct MetaType {
  bool recognised;
  int requiredLength;  // kAnyLength when any length will do
  bool dataExamined;   // a content rule looks at the data itself
};

MetaType describe(std::uint8_t type) {
  switch (type) {
    case 0x00: return {true, 2, false};  // Sequence Number
    case 0x02: return {true, kAnyLength, true};  // Copyright Notice: the "(C)" test
    case 0x01: case 0x03: case 0x04: case 0x05:
    case 0x06: case 0x07: case 0x7F:
      return {true, kAnyLength, false};  // other text events, Sequencer-Specific
    case 0x20: return {true, 1, false};  // Channel Prefix
    case 0x2F: return {true, 0, false};  // End of Track
    case 0x51: return {true, 3, false};  // Set Tempo
    case 0x54: return {true, 5, false};  // SMPTE Offset
    case 0x58: return {true, 4, false};  // Time Signature
    case 0x59: return {true, 2, true};   // Key Signature: key and mode
    default: return {false, kAnyLength, false};  // 0x08 and 0x09 included
  }
}

// Reads the data into the scratch buffer for the rules that examine it, and
// otherwise passes over it in the image with the same effects on the stream,
// so that a huge text event never takes a second copy in memory.
bool takeData(const MetaType& meta, std::uint32_t length) {
  if (meta.dataExamined) return readDeclaredData(length, kDataLengthWrong);
  if (memoryStream.pass(length) == length) return true;
  return reportError(kDataLengthWrong, lastOffset(), asSigned(length));
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
  const MetaType meta = describe(type);
  // The fixed length is tested before any data is read.
  if (meta.requiredLength != kAnyLength &&
      length != static_cast<std::uint32_t>(meta.requiredLength)) {
    return reportError(kFixedLengthWrong[meta.requiredLength], lastOffset(),
                       metaEventName(type));
  }
  if (!meta.recognised) return skipUnknownData(length);
  return takeData(meta, length) && checkMetaRules(type, length, file, track);
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
