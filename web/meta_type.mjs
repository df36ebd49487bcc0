// SPDX-License-Identifier: MIT
// The type byte of a meta event, read from the file's own bytes where the
// event starts: its delta time (a variable-length number of at most four
// bytes), the FF status byte, then the type.

// The most bytes metaTypeAt reads from an event's start.
export const metaEventHead = 4 + 2;

// The type of the meta event at the start of bytes (the event's first
// bytes), or null when they hold no delta time followed by FF and a type.
export function metaTypeAt(bytes) {
  let at = 0;
  while (at < 4 && at < bytes.length && bytes[at] >= 0x80) at++;
  if (at === 4 || at >= bytes.length) return null;  // no last byte of a delta time
  const [status, type] = bytes.subarray(at + 1, at + 3);
  return status === 0xff && type !== undefined ? type : null;
}
