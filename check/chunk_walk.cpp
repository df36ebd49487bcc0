// SPDX-License-Identifier: MIT
#include "check/chunk_walk.h"

#include "check/check_context.h"
#include "check/check_support.h"
#include "check/chunk_type.h"
#include "check/track_events.h"
#include "stream/field_readers.h"
#include "stream/memory_stream.h"

namespace {

// The track-count error points at the header's track-count field.
constexpr std::uint32_t kTrackCountOffset = 10;

// An unknown chunk is stepped over unexamined.
bool skipUnknownChunk(std::uint32_t chunkLength) {
  warnAtLastRead<Code::unknownChunk>();
  if (!memoryStream.skip(chunkLength)) {
    return reportAtLastRead<Code::blockLengthWrong>(asSigned(chunkLength));
  }
  return true;
}

// A track must end with its End of Track exactly at its declared length.
bool checkTrackClosed(const TrackState& track) {
  if (memoryStream.position() - track.trackStart != track.trackLength) {
    return reportAtLastRead<Code::trackLengthWrong>(asSigned(track.trackLength));
  }
  return true;
}

bool checkTrackChunk(FileState* file, std::uint32_t chunkLength) {
  TrackState track;
  track.trackStart = memoryStream.position();
  track.trackLength = chunkLength;
  checkContext.track = &track;  // diagnostics from here on are located in it
  const bool passed = checkTrackEvents(*file, &track) && checkTrackClosed(track);
  checkContext.track = nullptr;
  if (passed) ++file->completedTracks;
  return passed;
}

bool checkChunk(FileState* file) {
  if (readBytes(4) != 4 || lastReadIs(kHeaderChunkType)) {
    return reportAtLastRead<Code::chunkMalformed>();
  }
  const bool isTrackChunk = lastReadIs(kTrackChunkType);
  std::uint32_t chunkLength = 0;
  if (!readUInt32BE(&chunkLength)) return reportAtLastRead<Code::chunkLengthUnreadable>();
  if (!isTrackChunk) return skipUnknownChunk(chunkLength);
  return checkTrackChunk(file, chunkLength);
}

}  // namespace

bool walkChunks(FileState* file) {
  while (memoryStream.position() < memoryStream.size()) {
    if (!checkChunk(file)) return false;
  }
  if (file->completedTracks != file->declaredTracks) {
    return reportAt<Code::trackCountWrong>(kTrackCountOffset, int{file->declaredTracks},
                                           asSigned(file->completedTracks));
  }
  return true;
}
