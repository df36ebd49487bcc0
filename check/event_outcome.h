// SPDX-License-Identifier: MIT
#pragma once

// How one event ended.
enum class EventOutcome {
  error,       // a diagnostic was printed; the check of the file ends
  eventDone,   // the next event of the track follows
  trackEnded,  // End of Track passed its checks
};
