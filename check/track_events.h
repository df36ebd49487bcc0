#pragma once

#include "check/check_state.h"

// How one event ended.
enum class EventOutcome {
  error,       // a diagnostic was printed; the check of the file ends
  eventDone,   // the next event of the track follows
  trackEnded,  // End of Track passed its checks
};

// Checks the events of one track chunk, the stream standing at
// track->trackStart. Starts the rest of *track afresh. Returns true when an
// End of Track has passed, the stream just after it; false after an error.
bool checkTrackEvents(const FileState& file, TrackState* track);
