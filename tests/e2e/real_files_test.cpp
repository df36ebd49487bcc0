// SPDX-License-Identifier: MIT
// Files written by abc2midi 4.84 from the .abc sources beside them in
// tests/data: real sequencer output, checked whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

std::filesystem::path dataDir() {
#ifdef QUELDER_TEST_DATA_DIR
  return QUELDER_TEST_DATA_DIR;
#else
  // This file sits in tests/e2e; the data in tests/data.
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "data";
#endif
}

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool contains(const Bytes& image, const Bytes& part) {
  return std::search(image.begin(), image.end(), part.begin(), part.end()) != image.end();
}

struct RealFile {
  std::string name;
  Bytes feature;  // the bytes that make the file worth keeping
  std::string diagnostics;
  bool conforms;
};

TEST(RealFiles, Abc2midiOutput) {
  const char* const copyright = texts().metaEvents.copyright;
  const std::vector<RealFile> files = {
      // K:Cb, seven flats: the lowest key allowed.
      {"abc2midi_flats.mid", hex("FF 59 02 F9 00"), "", true},
      // K:A#m, seven sharps minor: the highest key and the minor mode.
      {"abc2midi_sharps.mid", hex("FF 59 02 07 01"), "", true},
      // Key changes in mid-track, from seven sharps to seven flats.
      {"abc2midi_keychange.mid", hex("FF 59 02 F9 00"), "", true},
      // Format 1 karaoke: a lyric track of text events and running status.
      {"abc2midi_lyrics.mid", text("@KMIDI KARAOKE FILE"), "", true},
      // Format 1 with three tracks, tempo and key only in the first.
      {"abc2midi_multi.mid", hex("FF 59 02 FD 00"), "", true},
      // abc2midi writes the copyright as the sixth event, at tick 1, after
      // its own text, tempo, key, time signature and title.
      {"abc2midi_abccopy.mid", text("(C) 2024 Quelder Authors"),
       line(Code::copyrightMisplaced, 80, copyright), false},
      // "(c)" in lower case is not the copyright sign; that is found before
      // the misplacement.
      {"abc2midi_abccopylower.mid", text("(c) Copyright John Smith 2003"),
       line(Code::copyrightSignMissing, 80, copyright), false},
  };
  for (const RealFile& file : files) {
    SCOPED_TRACE(file.name);
    const Bytes image = readFile(dataDir() / file.name);
    ASSERT_FALSE(image.empty());
    EXPECT_TRUE(contains(image, file.feature));
    expectCheck(image, file.diagnostics, file.conforms, file.name);
  }
}

}  // namespace
