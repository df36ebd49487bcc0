// SPDX-License-Identifier: MIT
#include "check/check_support.h"

#include "check/check_context.h"
#include "stream/field_readers.h"

thread_local constinit CheckContext checkContext;

namespace {

// Past an error graded content or recommendation the position is still where
// the rule's reading left it, so a check looking for findings reads on; past
// a structure error nothing after can be trusted.
bool goesOnAfter(const CodeInfo& info) {
  switch (info.severity) {
    case Severity::warning:
    case Severity::beyondReference: return true;
    case Severity::fileError: return false;
    case Severity::error:
      return checkContext.findings &&
             (info.grade == Grade::content || info.grade == Grade::recommendation);
  }
  return false;
}

}  // namespace

bool lookingForFindings() { return checkContext.findings; }

bool deliverDiagnostic(Diagnostic* diagnostic) {
  if (checkContext.track != nullptr) {
    const TrackState& track = *checkContext.track;
    diagnostic->location.track = checkContext.file->completedTracks + 1;
    diagnostic->location.event = track.eventIndex + 1;
    diagnostic->location.tick = track.elapsedTicks;
    diagnostic->location.eventOffset = track.eventStart;
  }
  diagnostic->afterFirstError = checkContext.errorFound;
  const CodeInfo& info = codeInfo(diagnostic->code);
  if (info.severity == Severity::error || info.severity == Severity::fileError) {
    checkContext.errorFound = true;
  }
  checkContext.sink(*diagnostic);
  return goesOnAfter(info);
}

bool readDeclaredData(std::uint32_t length) {
  if (readBytes(length) == length) return true;
  if (scratchBuffer.exhausted()) return reportMemoryFailure();
  return reportAtLastRead<Code::metaDataLengthWrong>(asSigned(length));
}

bool reportMemoryFailure() { return reportFileError<Code::memoryFailed>(); }
