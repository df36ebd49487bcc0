// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"

// Checks the events of one track chunk, the stream standing at
// track->trackStart. Starts the rest of *track afresh. Returns true when an
// End of Track has passed, the stream just after it; false after an error.
bool checkTrackEvents(const FileState& file, TrackState* track);
