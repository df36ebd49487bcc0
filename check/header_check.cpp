#include "check/header_check.h"

#include "app/report.h"
#include "check/check_support.h"
#include "check/chunk_type.h"
#include "stream/field_readers.h"

namespace {

constexpr char kHeaderMalformed[] = "エラー(%d): ヘッダチャンク形式が不正です。\n";
constexpr char kLengthUnreadable[] = "エラー(%d): ヘッダブロックのデータ長を読みとれません。\n";
constexpr char kLengthNotSix[] =
    "エラー(%d): ヘッダブロックのデータ長が不正です。SMF規格1.0では、6を指定する必要がありますが、このファイルは%dを指定しています。\n";
constexpr char kFormatUnreadable[] = "エラー(%d): SMF形式を読みとれません。\n";
constexpr char kFormatInvalid[] =
    "エラー(%d): SMF形式の指定が不正です。SMF規格1.0では、0、1、2のいずれかを指定する必要がありますが、このファイルは%dを指定しています。\n";
constexpr char kTracksUnreadable[] = "エラー(%d): トラックブロック数を読みとれません。\n";
constexpr char kDivisionUnreadable[] = "エラー(%d): 分解能を読みとれません。\n";
constexpr char kSmpteInvalid[] =
    "エラー(%d): SMPTEの分解能が不正です。SMF規格1.0では、24・25・29・30のいずれかを指定する必要がありますが、このファイルは%dを指定しています。\n";

constexpr std::uint32_t kHeaderLength = 6;
constexpr std::uint16_t kHighestFormat = 2;

// With bit 15 set, the high byte is minus the SMPTE frame rate.
bool checkDivision(std::uint16_t division) {
  if ((division & 0x8000) == 0) return true;  // ticks per quarter note: any
  const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
  switch (framesPerSecond) {
    case 24: case 25: case 29: case 30:
      return true;
    default:
      return reportError(kSmpteInvalid, lastOffset(), framesPerSecond);
  }
}

}  // namespace

bool checkHeader(FileState* file) {
  if (readBytes(4) != 4 || !lastReadIs(kHeaderChunkType)) {
    return reportError(kHeaderMalformed, lastOffset());
  }
  std::uint32_t length = 0;
  if (!readUInt32BE(&length) || length < kHeaderLength) {
    return reportError(kLengthUnreadable, lastOffset());
  }
  if (length > kHeaderLength) {
    return reportError(kLengthNotSix, lastOffset(), asSigned(length));
  }
  if (!readUInt16BE(&file->format)) return reportError(kFormatUnreadable, lastOffset());
  if (file->format > kHighestFormat) {
    return reportError(kFormatInvalid, lastOffset(), int{file->format});
  }
  if (!readUInt16BE(&file->declaredTracks)) {
    return reportError(kTracksUnreadable, lastOffset());
  }
  std::uint16_t division = 0;
  if (!readUInt16BE(&division)) return reportError(kDivisionUnreadable, lastOffset());
  return checkDivision(division);
}
