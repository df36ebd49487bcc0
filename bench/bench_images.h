// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// Large valid images for the benchmarks. Each builder is deterministic, so a
// run can be compared with the next one byte for byte.
using Image = std::vector<std::uint8_t>;

// Format 1, `tracks` track chunks of channel messages, nearly all under
// running status, filling exactly totalSize bytes.
Image denseChannelImage(std::uint32_t totalSize, int tracks);

// Format 0, one track of SysEx messages (F0 and the F7 escape form) of up to
// largestMessage data bytes, filling exactly totalSize bytes.
Image sysExImage(std::uint32_t totalSize, std::uint32_t largestMessage);

// Format 0, one track of `events` small meta events of recognised types that
// pass their content rules, then End of Track.
Image metaEventImage(std::uint32_t events);

// Format 1 shaped like a real song file, filling exactly totalSize bytes: a
// conductor track of tempo changes and markers, then `tracks` music tracks of
// notes under running status broken up by control changes, pitch bends, text
// and lyric events and GS and XG SysEx messages.
Image realShapedImage(std::uint32_t totalSize, int tracks);

// Format 1 shaped like a busy song, filling exactly totalSize bytes: the same
// conductor track, then `tracks` tracks of notes under running status broken
// every 5 to 9 events by a controller or a pitch bend, with a two-byte delta
// time one event in ten.
Image busyImage(std::uint32_t totalSize, int tracks);

// Format 1 shaped like a karaoke file, filling exactly totalSize bytes: a
// conductor track, then `tracks` tracks in which a lyric or text event comes
// before most notes.
Image karaokeImage(std::uint32_t totalSize, int tracks);

// A small format-1 file of two tracks; `variant` changes its contents a little.
Image smallImage(std::uint32_t variant);
