// SPDX-License-Identifier: MIT
#include "check/check_support.h"

#include "check/check_context.h"
#include "stream/field_readers.h"

thread_local constinit CheckContext checkContext;

void deliverDiagnostic(Diagnostic* diagnostic) {
  if (checkContext.track != nullptr) {
    const TrackState& track = *checkContext.track;
    diagnostic->location.track = checkContext.file->completedTracks + 1;
    diagnostic->location.event = track.eventIndex + 1;
    diagnostic->location.tick = track.elapsedTicks;
    diagnostic->location.eventOffset = track.eventStart;
  }
  checkContext.sink(*diagnostic);
}

bool readDeclaredData(std::uint32_t length) {
  if (readBytes(length) == length) return true;
  if (scratchBuffer.exhausted()) return reportMemoryFailure();
  return reportAtLastRead<Code::metaDataLengthWrong>(asSigned(length));
}

bool reportMemoryFailure() { return reportFileError<Code::memoryFailed>(); }
