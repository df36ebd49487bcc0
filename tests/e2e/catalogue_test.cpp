// SPDX-License-Identifier: MIT
// The catalogue as the program prints it: every text that a file or a name can
// draw, once, with its arguments, and every display name through a text that
// names it. quelder-utf8 and quelder-en differ from quelder only in their
// texts, so of the end-to-end suite they run these, the driver's cases and the
// file errors of a prepared process (tests/CMakeLists.txt); the tables, run
// against quelder, pin the offset of each diagnostic.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// One format 0 track whose length field covers the data exactly.
Bytes oneTrack(const Bytes& data) { return smf(0, {data}); }

// One track whose length field promises more than the file holds, so that
// the file itself ends where the data does.
Bytes fileEndingIn(const Bytes& data) {
  return concat({header(0, 1), chunkDeclaring("MTrk", 0x1000, data)});
}

// A file to check and what the program prints for it between its progress
// and verdict lines.
struct Rendering {
  std::string text;  // the catalogue's field
  std::string path;
  std::string diagnostics;
  bool conforms;
};

class Renderings {
 public:
  // A file that holds image.
  void add(const char* text, const Bytes& image, const std::string& diagnostics,
           bool conforms = false) {
    rows_.push_back(
        {text, dir_.write(std::to_string(rows_.size()) + ".mid", image), diagnostics, conforms});
  }
  // A file error: the program names the file in it.
  void addFileError(const char* text, const std::string& path, Code code) {
    rows_.push_back({text, path, line(code, path.c_str()), false});
  }
  const TempDir& dir() const { return dir_; }
  const std::vector<Rendering>& rows() const { return rows_; }

 private:
  TempDir dir_;
  std::vector<Rendering> rows_;
};

// The offsets are those the tables of the other end-to-end tests pin.
void addFormats(Renderings* files) {
  const Texts& t = texts();
  files->add("headerMalformed", {}, line(Code::headerMalformed, 0));
  files->add("headerLengthUnreadable", text("MThd"), line(Code::headerLengthUnreadable, 0));
  files->add("headerLengthNotSix", concat({text("MThd"), be32(7)}),
             line(Code::headerLengthNotSix, 4, 7));
  files->add("formatUnreadable", concat({text("MThd"), be32(6)}), line(Code::formatUnreadable, 4));
  files->add("formatInvalid", header(3, 0), line(Code::formatInvalid, 8, 3));
  files->add("tracksUnreadable", concat({text("MThd"), be32(6), be16(1)}),
             line(Code::tracksUnreadable, 8));
  files->add("divisionUnreadable", concat({text("MThd"), be32(6), be16(1), be16(0)}),
             line(Code::divisionUnreadable, 10));
  files->add("smpteInvalid", header(0, 0, 0xE400), line(Code::smpteInvalid, 12, 28));

  files->add("chunkMalformed", concat({header(0, 1), text("MTr")}), line(Code::chunkMalformed, 14));
  files->add("chunkLengthUnreadable", concat({header(0, 1), text("MTrk")}),
             line(Code::chunkLengthUnreadable, 14));
  files->add("unknownChunk", concat({header(0, 0), chunk("JUNK", hex("01"))}),
             line(Code::unknownChunk, 18), true);
  files->add("blockLengthWrong", concat({header(0, 0), chunkDeclaring("JUNK", 10, hex("01 02"))}),
             line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 22, 10));
  files->add("trackLengthWrong",
             concat({header(0, 1), chunkDeclaring("MTrk", 5, hex("00 FF 2F 00 00"))}),
             line(Code::trackLengthWrong, 26, 5));
  files->add("trackCountWrong", concat({header(1, 2), track(endOfTrack())}),
             line(Code::trackCountWrong, 10, 2, 1));

  files->add("endOfTrackMissing", concat({header(0, 1), chunkDeclaring("MTrk", 0, {})}),
             line(Code::endOfTrackMissing, 18, t.metaEvents.endOfTrack));
  files->add("deltaTimeInvalid", oneTrack(hex("81 82 83 84 05 00 FF 2F 00")),
             line(Code::deltaTimeInvalid, 26));
  files->add("eventMissing", fileEndingIn(hex("00")), line(Code::eventMissing, 22));
  files->add("statusOmitted", oneTrack(hex("00 3C 40 00 FF 2F 00")), line(Code::statusOmitted, 22));
  files->add("sysExLengthUnreadable", fileEndingIn(hex("00 F0")),
             line(Code::sysExLengthUnreadable, 23));
  files->add("sysExLengthWrong", fileEndingIn(hex("00 F0 05 01 02")),
             line(Code::sysExLengthWrong, 25, 5));
  files->add("sysExUnterminated", oneTrack(hex("00 F0 02 43 12 00 FF 2F 00")),
             line(Code::sysExUnterminated, 25));
  files->add("invalidEvent", oneTrack(hex("00 F8 00 FF 2F 00")),
             line(Code::invalidEvent, 23, 0xF8));

  files->add("metaTypeMissing", fileEndingIn(hex("00 FF")), line(Code::metaTypeMissing, 23));
  files->add("metaLengthUnreadable", fileEndingIn(hex("00 FF 01")),
             line(Code::metaLengthUnreadable, 24));
  files->add("metaDataLengthWrong", fileEndingIn(hex("00 FF 01 05 41 42")),
             line(Code::metaDataLengthWrong, 26, 5));
  files->add("unknownMetaType", oneTrack(hex("00 FF 21 01 00 00 FF 2F 00")),
             line(Code::unknownMetaType, 25), true);

  files->add("notAtTrackStart", oneTrack(hex("01 FF 00 02 00 01 00 FF 2F 00")),
             line(Code::notAtTrackStart, 26, t.metaEvents.sequenceNumber));
  files->add("notInFirstTrack", smf(1, {endOfTrack(), hex("00 FF 51 03 07 A1 20 00 FF 2F 00")}),
             line(Code::notInFirstTrack, 38, t.metaEvents.tempo));
  files->add("copyrightSignMissing", oneTrack(hex("00 FF 02 03 41 42 43 00 FF 2F 00")),
             line(Code::copyrightSignMissing, 26, t.metaEvents.copyright));
  files->add("copyrightMisplaced", oneTrack(hex("01 FF 02 03 28 43 29 00 FF 2F 00")),
             line(Code::copyrightMisplaced, 26, t.metaEvents.copyright));
  files->add("tooManyFlats", oneTrack(hex("00 FF 59 02 F8 00 00 FF 2F 00")),
             line(Code::tooManyFlats, 26, t.metaEvents.keySignature));
  files->add("tooManySharps", oneTrack(hex("00 FF 59 02 08 00 00 FF 2F 00")),
             line(Code::tooManySharps, 26, t.metaEvents.keySignature));
  files->add("modeInvalid", oneTrack(hex("00 FF 59 02 00 02 00 FF 2F 00")),
             line(Code::modeInvalid, 26, t.metaEvents.keySignature));
}

// Each channel message cut after its status byte names itself.
void addChannelMessageNames(Renderings* files) {
  const Texts& t = texts();
  for (std::uint8_t kind = 0; kind < std::size(t.channelMessages); ++kind) {
    const auto status = static_cast<std::uint8_t>(0x80 + (kind << 4));
    const bool oneByte = status == 0xC0 || status == 0xD0;
    files->add(oneByte ? "oneDataByte" : "twoDataBytes", fileEndingIn(Bytes{0x00, status}),
               line(oneByte ? Code::oneDataByte : Code::twoDataBytes, 23, t.channelMessages[kind]));
  }
}

// Each meta event with a fixed length, given one byte too few or too many;
// every required length has its own text.
void addFixedLengthMetaEvents(Renderings* files) {
  const Texts& t = texts();
  struct Fixed {
    const char* event;
    int length;
    const char* name;
  };
  const Fixed fixed[] = {
      {"00 FF 2F 01 00", 0, t.metaEvents.endOfTrack},
      {"00 FF 20 00 00 FF 2F 00", 1, t.metaEvents.channelPrefix},
      {"00 FF 00 01 00 00 FF 2F 00", 2, t.metaEvents.sequenceNumber},
      {"00 FF 59 03 00 00 00 00 FF 2F 00", 2, t.metaEvents.keySignature},
      {"00 FF 51 02 07 A1 00 FF 2F 00", 3, t.metaEvents.tempo},
      {"00 FF 58 03 04 02 18 00 FF 2F 00", 4, t.metaEvents.timeSignature},
      {"00 FF 54 04 00 00 00 00 00 FF 2F 00", 5, t.metaEvents.smpteOffset},
  };
  for (const Fixed& meta : fixed) {
    files->add("metaLengthMustBe", oneTrack(hex(meta.event)),
               line(t.metaLengthMustBe[meta.length], 25, meta.name));
  }
}

// The file errors that a name draws: one that does not exist, and one of
// 4 GiB (a hole), whose size no 32-bit offset holds.
void addFileErrors(Renderings* files) {
  files->addFileError("openFailed", files->dir().path() + "/missing.mid", Code::openFailed);
  const std::string huge = files->dir().write("huge.mid", {});
  std::filesystem::resize_file(huge, 0x100000000);
  files->addFileError("sizeFailed", huge, Code::sizeFailed);
}

// One run checks every file; standard output and standard error in one
// stream keep each file's lines together.
TEST(Catalogue, EveryTextAsTheProgramPrintsIt) {
  Renderings files;
  addFormats(&files);
  addChannelMessageNames(&files);
  addFixedLengthMetaEvents(&files);
  addFileErrors(&files);
  std::vector<std::string> paths;
  for (const Rendering& row : files.rows()) paths.push_back(row.path);

  const std::string printed = runQuelderMerged(paths);
  std::size_t at = 0;
  for (const Rendering& row : files.rows()) {
    SCOPED_TRACE(row.text);
    const std::string expected =
        progressLine(row.path) + row.diagnostics + verdictLine(row.path, row.conforms);
    // Past the first difference the lines no longer line up with the files.
    ASSERT_EQ(printed.substr(at, expected.size()), expected);
    at += expected.size();
  }
  EXPECT_EQ(printed.substr(at), "");
}

// The length of the UTF-8 character that lead begins, 0 if none does.
std::size_t utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// True iff text is a sequence of whole UTF-8 characters.
bool isUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8Length(static_cast<unsigned char>(text[i]));
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// True iff text is a sequence of whole CP932 characters: ASCII, half-width
// katakana, or a lead byte and its trail byte.
bool isCp932(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) continue;
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    if (!lead || ++i == text.size()) return false;
    const auto trail = static_cast<unsigned char>(text[i]);
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
  }
  return true;
}

bool isAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Every text is whole characters of the program's encoding, and the English
// ones are ASCII whatever their source holds.
TEST(Catalogue, TextsAreInTheProgramsEncoding) {
  const Texts& catalogue = texts();
  std::vector<const char*> all = {
      catalogue.banner.text,         catalogue.progress.text,   catalogue.conforms.text,
      catalogue.doesNotConform.text, catalogue.outputLost.text, catalogue.diagnosticsLost.text,
      catalogue.errorAt.text,        catalogue.warningAt.text,  catalogue.fileError.text};
  for (const Message& message : catalogue.messages.all) {
    all.insert(all.end(), {message.text, message.rule, message.readers, message.gradeReason});
  }
  for (const LengthMessage& message : catalogue.metaLengthMustBe) all.push_back(message.text);
  for (const Name& name : catalogue.channelMessages) all.push_back(name.text);
  // The meta-event names are one pointer to a text each.
  const auto metaNames =
      std::bit_cast<std::array<const char*, sizeof(Texts::MetaEventNames) / sizeof(const char*)>>(
          catalogue.metaEvents);
  all.insert(all.end(), metaNames.begin(), metaNames.end());
  const auto inEncoding = [](const std::string& text) {
    switch (variant()) {
      case Variant::japaneseCp932: return isCp932(text);
      case Variant::japaneseUtf8: return isUtf8(text);
      case Variant::english: return isAscii(text);
    }
    return false;
  };
  for (const char* text : all) {
    EXPECT_TRUE(inEncoding(text)) << text;
  }
}

}  // namespace
