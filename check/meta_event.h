// SPDX-License-Identifier: MIT
#pragma once

#include "check/check_state.h"
#include "check/event_outcome.h"

// Checks one meta event, its 0xFF status byte just consumed: type, length,
// fixed lengths, data, and the content rules of the recognised types.
// Unrecognised types draw a warning and are stepped over.
EventOutcome checkMetaEvent(const FileState& file, const TrackState& track);
