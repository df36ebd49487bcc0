#include "check/chunk_walk.h"

#include "app/report.h"
#include "check/check_support.h"
#include "check/chunk_type.h"
#include "check/track_events.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

constexpr char kChunkMalformed[] = "エラー(%d): チャンク形式が不正です。\n";
constexpr char kLengthUnreadable[] = "エラー(%d): ブロックのデータ長を読みとれません。\n";
constexpr char kUnknownChunk[] = "警告(%d): 不明なチャンク形式です。\n";
constexpr char kBlockLengthWrong[] = "エラー(%d): ブロックのデータ長が、指定の長さ(%d)と異なります。\n";
constexpr char kTrackLengthWrong[] = "エラー(%d): トラックのデータ長が、指定の長さ(%d)と異なります。\n";
constexpr char kTrackCountWrong[] = "エラー(%d): トラック数が間違っています。ヘッダブロックで指定したトラック数は%dでしたが、実際のトラック数は%dです。\n";

// The track-count error points at the header's track-count field.
constexpr int kTrackCountOffset = 10;

// An unknown chunk is stepped over unexamined.
bool skipUnknownChunk(std::uint32_t chunkLength) {
  printDiagnostic(kUnknownChunk, lastOffset());
  if (!memoryStream.skip(chunkLength)) {
    return reportError(kBlockLengthWrong, lastOffset(), asSigned(chunkLength));
  }
  return true;
}

// A track must end with its End of Track exactly at its declared length.
bool checkTrackChunk(FileState* file, std::uint32_t chunkLength) {
  TrackState track;
  track.trackStart = memoryStream.position();
  track.trackLength = chunkLength;
  if (!checkTrackEvents(*file, &track)) return false;
  if (memoryStream.position() - track.trackStart != track.trackLength) {
    return reportError(kTrackLengthWrong, lastOffset(), asSigned(track.trackLength));
  }
  ++file->completedTracks;
  return true;
}

bool checkChunk(FileState* file) {
  if (readBytes(4) != 4 || lastReadIs(kHeaderChunkType)) {
    return reportError(kChunkMalformed, lastOffset());
  }
  const bool isTrackChunk = lastReadIs(kTrackChunkType);
  std::uint32_t chunkLength = 0;
  if (!readUInt32BE(&chunkLength)) return reportError(kLengthUnreadable, lastOffset());
  if (!isTrackChunk) return skipUnknownChunk(chunkLength);
  return checkTrackChunk(file, chunkLength);
}

}  // namespace

bool walkChunks(FileState* file) {
  while (memoryStream.position() < memoryStream.size()) {
    if (!checkChunk(file)) return false;
  }
  if (file->completedTracks != file->declaredTracks) {
    return reportError(kTrackCountWrong, kTrackCountOffset, int{file->declaredTracks},
                       asSigned(file->completedTracks));
  }
  return true;
}
