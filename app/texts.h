// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The catalogue of everything the program prints. Each language defines one
// Texts constant (app/texts_ja.cpp, app/texts_en.cpp); a program links exactly
// one of them and reaches it through texts(). The check steps name a text by
// its field: `return reportAtLastRead(texts().deltaTimeInvalid);`.
//
// Two checks run while a catalogue compiles, so that no language can drift
// from another:
// - every field must be given: Format and Name have no default, so a text
//   left out of a language is a compile error;
// - a format's directives must be exactly those of its arguments, in order
//   (%d an int, %s a string, %2X an unsigned byte), and it must end with a
//   line feed; a name must hold neither a directive nor a line feed.
// The arguments are part of the field's type, so every language formats the
// same values in the same order.

namespace text_check {

enum class Directive { integer, string, hexByte };

template <typename T>
constexpr Directive directiveOf();
template <>
constexpr Directive directiveOf<int>() {
  return Directive::integer;
}
template <>
constexpr Directive directiveOf<const char*>() {
  return Directive::string;
}
template <>
constexpr Directive directiveOf<unsigned>() {
  return Directive::hexByte;
}

// Never defined: reaching a call to it while a catalogue compiles fails the
// build, naming the broken rule.
void formatDoesNotMatchItsArguments();
void nameHoldsADirectiveOrLineFeed();

// True iff the directives of text are expected[0, count) in order and the
// text ends with a line feed.
constexpr bool directivesAre(const char* text, const Directive* expected, int count) {
  int found = 0;
  const char* at = text;
  for (; *at != '\0'; ++at) {
    if (*at != '%') continue;
    Directive directive;
    if (at[1] == 'd') {
      directive = Directive::integer;
      at += 1;
    } else if (at[1] == 's') {
      directive = Directive::string;
      at += 1;
    } else if (at[1] == '2' && at[2] == 'X') {
      directive = Directive::hexByte;
      at += 2;
    } else {
      return false;
    }
    if (found == count || expected[found] != directive) return false;
    ++found;
  }
  return found == count && at != text && at[-1] == '\n';
}

constexpr bool isPlainName(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == '%' || *text == '\n') return false;
  }
  return true;
}

}  // namespace text_check

// A printf format string that takes exactly Args, ending with a line feed.
template <typename... Args>
struct Format {
  consteval Format(const char* format) : text(format) {
    constexpr text_check::Directive expected[] = {text_check::directiveOf<Args>()...,
                                                  text_check::Directive::integer};
    if (!text_check::directivesAre(format, expected, sizeof...(Args))) {
      text_check::formatDoesNotMatchItsArguments();
    }
  }
  const char* text;
};

// A display name, printed through the %s of a format.
struct Name {
  consteval Name(const char* name) : text(name) {
    if (!text_check::isPlainName(name)) text_check::nameHoldsADirectiveOrLineFeed();
  }
  constexpr operator const char*() const { return text; }
  const char* text;
};

// The three diagnostic forms: an error at an offset, a warning at an offset,
// and a file error without one. Offsets and counts are ints, names strings.
using ErrorAt = Format<int>;
using ErrorAtNamed = Format<int, const char*>;  // the name of an event
using ErrorAtWithValue = Format<int, int>;      // a value or declared length
using WarningAt = Format<int>;
using FileError = Format<const char*>;  // the file name

struct Texts {
  // Banner and usage: the program's name as installed is the argument.
  Format<const char*> banner;
  // Before and after each file; the file name as given is the argument.
  Format<const char*> progress;
  Format<const char*> conforms;
  Format<const char*> doesNotConform;

  // Loading a file.
  FileError openFailed;
  FileError sizeFailed;
  Format<> memoryFailed;
  FileError readFailed;

  // A line that could not be written, said after the last one.
  Format<> outputLost;
  Format<> diagnosticsLost;

  // The header chunk.
  ErrorAt headerMalformed;
  ErrorAt headerLengthUnreadable;
  ErrorAtWithValue headerLengthNotSix;
  ErrorAt formatUnreadable;
  ErrorAtWithValue formatInvalid;
  ErrorAt tracksUnreadable;
  ErrorAt divisionUnreadable;
  ErrorAtWithValue smpteInvalid;  // the frame rate given

  // The chain of chunks and the track count.
  ErrorAt chunkMalformed;
  ErrorAt chunkLengthUnreadable;
  WarningAt unknownChunk;
  ErrorAtWithValue blockLengthWrong;
  ErrorAtWithValue trackLengthWrong;
  Format<int, int, int> trackCountWrong;  // declared, then found

  // Track events.
  ErrorAtNamed endOfTrackMissing;
  ErrorAt deltaTimeInvalid;
  ErrorAt eventMissing;
  ErrorAt statusOmitted;
  ErrorAtNamed oneDataByte;
  ErrorAtNamed twoDataBytes;
  ErrorAt sysExLengthUnreadable;
  ErrorAtWithValue sysExLengthWrong;
  ErrorAt sysExUnterminated;
  Format<int, unsigned> invalidEvent;  // the status byte

  // Meta-event framing.
  ErrorAt metaTypeMissing;
  ErrorAt metaLengthUnreadable;
  ErrorAtNamed metaLengthMustBe[6];  // indexed by the required data length
  ErrorAtWithValue metaDataLengthWrong;
  WarningAt unknownMetaType;

  // Meta-event content rules.
  ErrorAtNamed notAtTrackStart;
  ErrorAtNamed notInFirstTrack;
  ErrorAtNamed copyrightSignMissing;
  ErrorAtNamed copyrightMisplaced;
  ErrorAtNamed tooManyFlats;
  ErrorAtNamed tooManySharps;
  ErrorAtNamed modeInvalid;

  // Display names of channel messages, indexed by (status >> 4) - 8: Note Off,
  // Note On, Polyphonic Key Pressure, Control Change, Program Change, Channel
  // Pressure, Pitch Bend.
  Name channelMessages[7];

  struct MetaEventNames {
    Name sequenceNumber;     // 0x00
    Name text;               // 0x01
    Name copyright;          // 0x02
    Name trackName;          // 0x03
    Name instrumentName;     // 0x04
    Name lyric;              // 0x05
    Name marker;             // 0x06
    Name cuePoint;           // 0x07
    Name programName;        // 0x08
    Name deviceName;         // 0x09
    Name channelPrefix;      // 0x20
    Name endOfTrack;         // 0x2F
    Name tempo;              // 0x51
    Name smpteOffset;        // 0x54
    Name timeSignature;      // 0x58
    Name keySignature;       // 0x59
    Name sequencerSpecific;  // 0x7F
  } metaEvents;
};

// The catalogue this program was built with.
const Texts& texts();

// How the catalogue's texts are encoded, as its unit was compiled
// (-fexec-charset): PrintableName reads a file name to match.
enum class TextEncoding { cp932, utf8 };
TextEncoding textEncoding();

// The encoding of the calling unit's string literals; each catalogue answers
// textEncoding() with it. U+3042 is two bytes in CP932 and three in UTF-8.
consteval TextEncoding literalEncoding() {
  return sizeof("\u3042") == 4 ? TextEncoding::utf8 : TextEncoding::cp932;
}
