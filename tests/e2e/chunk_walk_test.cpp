// SPDX-License-Identifier: MIT
// The chain of chunks after the header: chunk headers cut short, unknown
// chunks, a second header, stray bytes at the end, the length of each track
// and the count of tracks against the header.
//
// The header is 14 bytes, so the first chunk after it stands at offset 14 and
// its length field at 18; a minimal track (00 FF 2F 00) fills 14 to 25 and the
// next chunk then stands at 26.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

Bytes minimalTrack() { return track(endOfTrack()); }

TEST(ChunkWalk, TrackLength) {
  expectCases({
      {"26-byte file", concat({header(0, 1), minimalTrack()}), "", true},
      {"two tracks", concat({header(1, 2), minimalTrack(), minimalTrack()}), "", true},
      // The End of Track leaves lastPosition at the byte after it, 26.
      {"length 5, one byte more after End of Track",
       concat({header(0, 1), chunkDeclaring("MTrk", 5, hex("00 FF 2F 00 00"))}),
       line(Code::trackLengthWrong, 26, 5), false},
      {"length 5, the file ends with End of Track",
       concat({header(0, 1), chunkDeclaring("MTrk", 5, endOfTrack())}),
       line(Code::trackLengthWrong, 25, 5), false},
      {"length 5, a track follows",
       concat({header(1, 2), chunkDeclaring("MTrk", 5, endOfTrack()), minimalTrack()}),
       line(Code::trackLengthWrong, 26, 5), false},
      // End of Track is the last thing in the file: its length byte, 25.
      {"length 3, nothing after it",
       concat({header(0, 1), chunkDeclaring("MTrk", 3, endOfTrack())}),
       line(Code::trackLengthWrong, 25, 3), false},
      {"length 3, a track follows",
       concat({header(1, 2), chunkDeclaring("MTrk", 3, endOfTrack()), minimalTrack()}),
       line(Code::trackLengthWrong, 26, 3), false},
      {"length 0", concat({header(0, 1), chunkDeclaring("MTrk", 0, {})}),
       line(Code::endOfTrackMissing, 18, texts().metaEvents.endOfTrack), false},
      {"length 0 with an End of Track after it",
       concat({header(0, 1), chunkDeclaring("MTrk", 0, endOfTrack())}),
       line(Code::endOfTrackMissing, 18, texts().metaEvents.endOfTrack), false},
      {"second track one byte short",
       concat({header(1, 2), minimalTrack(), chunkDeclaring("MTrk", 3, endOfTrack())}),
       line(Code::trackLengthWrong, 37, 3), false},
      {"second track one byte long",
       concat({header(1, 2), minimalTrack(), chunkDeclaring("MTrk", 5, hex("00 FF 2F 00 00"))}),
       line(Code::trackLengthWrong, 38, 5), false},
      {"length 0x80000000",
       concat({header(0, 1), chunkDeclaring("MTrk", 0x80000000, endOfTrack())}),
       line(Code::trackLengthWrong, 25, -2147483648L), false},
      {"length 0xFFFFFFFF",
       concat({header(0, 1), chunkDeclaring("MTrk", 0xFFFFFFFF, endOfTrack())}),
       line(Code::trackLengthWrong, 25, -1), false},
  });
}

TEST(ChunkWalk, UnknownChunks) {
  expectCases({
      {"length 2 between two tracks",
       concat({header(1, 2), minimalTrack(), chunk("XFIH", hex("01 02")), minimalTrack()}),
       line(Code::unknownChunk, 30), true},
      {"length 0 between two tracks",
       concat({header(1, 2), minimalTrack(), chunk("XFIH", {}), minimalTrack()}),
       line(Code::unknownChunk, 30), true},
      {"before the first track", concat({header(0, 1), chunk("JUNK", hex("FF")), minimalTrack()}),
       line(Code::unknownChunk, 18), true},
      {"last in the file", concat({header(0, 1), minimalTrack(), chunk("JUNK", hex("01 02 03"))}),
       line(Code::unknownChunk, 30), true},
      {"the only chunk", concat({header(0, 0), chunk("JUNK", hex("01"))}),
       line(Code::unknownChunk, 18), true},
      {"two in a row",
       concat({header(0, 1), chunk("AAAA", hex("01")), chunk("BBBB", {}), minimalTrack()}),
       line(Code::unknownChunk, 18) + line(Code::unknownChunk, 27), true},
      // Its body is never examined, not even when it looks like a track.
      {"body that would be a bad track",
       concat({header(0, 1), chunk("JUNK", hex("00 F8 00 3C 40")), minimalTrack()}),
       line(Code::unknownChunk, 18), true},
      {"type of four zero bytes",
       concat({header(0, 1), chunk(std::string_view("\0\0\0\0", 4), {}), minimalTrack()}),
       line(Code::unknownChunk, 18), true},
      {"lower-case mtrk is not a track",
       concat({header(0, 1), chunk("mtrk", endOfTrack()), minimalTrack()}),
       line(Code::unknownChunk, 18), true},
      {"lower-case mtrk is not counted", concat({header(0, 1), chunk("mtrk", endOfTrack())}),
       line(Code::unknownChunk, 18) + line(Code::trackCountWrong, 10, 1, 0), false},
      {"MTRK is not a track", concat({header(0, 1), chunk("MTRK", endOfTrack())}),
       line(Code::unknownChunk, 18) + line(Code::trackCountWrong, 10, 1, 0), false},
      {"an empty unknown chunk, then an empty track",
       concat({header(0, 1), chunk("JUNK", {}), chunkDeclaring("MTrk", 0, {})}),
       line(Code::unknownChunk, 18) +
           line(Code::endOfTrackMissing, 26, texts().metaEvents.endOfTrack),
       false},
  });
}

TEST(ChunkWalk, UnknownChunkRunsPastTheEnd) {
  expectCases({
      {"3 of 10 bytes",
       concat({header(0, 1), minimalTrack(), chunkDeclaring("JUNK", 10, hex("01 02 03"))}),
       line(Code::unknownChunk, 30) + line(Code::blockLengthWrong, 34, 10), false},
      {"1 of 2 bytes", concat({header(0, 1), minimalTrack(), chunkDeclaring("JUNK", 2, hex("01"))}),
       line(Code::unknownChunk, 30) + line(Code::blockLengthWrong, 34, 2), false},
      // Nothing is left to skip, so the offset stays at the length field.
      {"the file ends after the length",
       concat({header(0, 1), minimalTrack(), chunkDeclaring("JUNK", 10, {})}),
       line(Code::unknownChunk, 30) + line(Code::blockLengthWrong, 30, 10), false},
      {"length 0xFFFFFFFF",
       concat({header(0, 1), chunkDeclaring("JUNK", 0xFFFFFFFF, hex("01 02"))}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 22, -1), false},
      {"length 0x80000000 and nothing after it",
       concat({header(0, 1), chunkDeclaring("JUNK", 0x80000000, {})}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 18, -2147483648L), false},
      {"lower-case mtrk running past the end",
       concat({header(0, 1), chunkDeclaring("mtrk", 8, endOfTrack())}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 22, 8), false},
  });
}

TEST(ChunkWalk, ChunkHeaderCutShort) {
  expectCases({
      {"type: 3 bytes", concat({header(0, 1), text("MTr")}), line(Code::chunkMalformed, 14),
       false},
      {"type complete, nothing after it", concat({header(0, 1), text("MTrk")}),
       line(Code::chunkLengthUnreadable, 14), false},
      {"length: 1 of 4 bytes", concat({header(0, 1), text("MTrk"), hex("00")}),
       line(Code::chunkLengthUnreadable, 18), false},
      {"length: 3 of 4 bytes", concat({header(0, 1), text("MTrk"), hex("00 00 00")}),
       line(Code::chunkLengthUnreadable, 18), false},
      // The length is read before the unknown type is warned about.
      {"unknown type, length cut", concat({header(0, 1), text("JUNK"), hex("00 00")}),
       line(Code::chunkLengthUnreadable, 18), false},
      {"unknown type, no length", concat({header(0, 1), text("JUNK")}),
       line(Code::chunkLengthUnreadable, 14), false},
  });
}

TEST(ChunkWalk, SecondHeaderChunk) {
  expectCases({
      {"right after the header", concat({header(0, 1), header(0, 1), minimalTrack()}),
       line(Code::chunkMalformed, 14), false},
      {"after a track", concat({header(0, 1), minimalTrack(), header(0, 1)}),
       line(Code::chunkMalformed, 26), false},
      // Rejected before its length is read.
      {"type alone at the end", concat({header(0, 1), minimalTrack(), text("MThd")}),
       line(Code::chunkMalformed, 26), false},
      {"type and a cut length", concat({header(0, 1), minimalTrack(), text("MThd"), hex("00")}),
       line(Code::chunkMalformed, 26), false},
  });
}

// Bytes after the last chunk are read as one more chunk.
TEST(ChunkWalk, StrayBytesAfterTheLastChunk) {
  const Bytes file = concat({header(0, 1), minimalTrack()});
  expectCases({
      {"1 stray byte", concat({file, hex("00")}), line(Code::chunkMalformed, 26), false},
      {"2 stray bytes", concat({file, hex("00 00")}), line(Code::chunkMalformed, 26), false},
      {"3 stray bytes", concat({file, hex("4D 54 72")}), line(Code::chunkMalformed, 26), false},
      {"4 stray bytes", concat({file, hex("00 00 00 00")}), line(Code::chunkLengthUnreadable, 26),
       false},
      {"4 stray bytes MTrk", concat({file, text("MTrk")}), line(Code::chunkLengthUnreadable, 26),
       false},
      {"4 stray bytes MThd", concat({file, text("MThd")}), line(Code::chunkMalformed, 26), false},
      {"5 stray bytes", concat({file, hex("00 00 00 00 00")}),
       line(Code::chunkLengthUnreadable, 30), false},
      {"6 stray bytes", concat({file, hex("00 00 00 00 00 00")}),
       line(Code::chunkLengthUnreadable, 30), false},
      {"7 stray bytes", concat({file, hex("00 00 00 00 00 00 00")}),
       line(Code::chunkLengthUnreadable, 30), false},
      {"8 zero bytes: an empty unknown chunk", concat({file, hex("00 00 00 00 00 00 00 00")}),
       line(Code::unknownChunk, 30), true},
      {"8 bytes MTrk with length 0", concat({file, chunkDeclaring("MTrk", 0, {})}),
       line(Code::endOfTrackMissing, 30, texts().metaEvents.endOfTrack), false},
  });
}

TEST(ChunkWalk, TrackCount) {
  expectCases({
      {"3 tracks, 2 declared",
       concat({header(1, 2), minimalTrack(), minimalTrack(), minimalTrack()}),
       line(Code::trackCountWrong, 10, 2, 3), false},
      {"1 track, 2 declared", concat({header(1, 2), minimalTrack()}),
       line(Code::trackCountWrong, 10, 2, 1), false},
      {"1 track, 0 declared", concat({header(1, 0), minimalTrack()}),
       line(Code::trackCountWrong, 10, 0, 1), false},
      // Every track is checked before the count is compared.
      {"3 tracks, 2 declared, the third one bad",
       concat({header(1, 2), minimalTrack(), minimalTrack(), chunkDeclaring("MTrk", 0, {})}),
       line(Code::endOfTrackMissing, 42, texts().metaEvents.endOfTrack), false},
      {"1 track, 2 declared, warnings first",
       concat({header(1, 2), chunk("JUNK", {}), minimalTrack()}),
       line(Code::unknownChunk, 18) + line(Code::trackCountWrong, 10, 2, 1), false},
      {"65535 declared, 1 track", concat({header(1, 0xFFFF), minimalTrack()}),
       line(Code::trackCountWrong, 10, 65535, 1), false},
  });
}

// The count of track chunks does not wrap at 16 bits: 65,536 tracks more than
// the header says still disagree with it.
TEST(ChunkWalk, TrackCountBeyondSixteenBits) {
  expectCases({
      {"65535 tracks, 65535 declared", concat({header(1, 0xFFFF), repeat(minimalTrack(), 65535)}),
       "", true},
      {"65536 tracks, 0 declared", concat({header(1, 0), repeat(minimalTrack(), 65536)}),
       line(Code::trackCountWrong, 10, 0, 65536), false},
      {"65537 tracks, 1 declared", concat({header(1, 1), repeat(minimalTrack(), 65537)}),
       line(Code::trackCountWrong, 10, 1, 65537), false},
  });
}

// Track chunk number 65,537 is not the first track, although its 16-bit
// index would be 0.
TEST(ChunkWalk, CopyrightInTrackChunk65537IsNotInTheFirstTrack) {
  const Bytes copyright = concat({hex("00 FF 02 03"), text("(C)"), endOfTrack()});
  // Track 65,537 stands at 14 + 65536 * 12 = 786446; its Copyright data at +12.
  expectCases({
      {"copyright first in the first track", concat({header(1, 1), track(copyright)}), "", true},
      {"copyright first in track chunk 65537",
       concat({header(1, 1), repeat(minimalTrack(), 65536), track(copyright)}),
       line(Code::copyrightMisplaced, 786458, texts().metaEvents.copyright), false},
  });
}

}  // namespace
