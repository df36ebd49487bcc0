// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "catalogue/codes.h"

// The catalogue of everything the programs print and of what each diagnostic
// means. Each language defines one Texts constant (catalogue/texts_ja.cpp,
// catalogue/texts_en.cpp), reached through japaneseTexts() and englishTexts();
// a command-line program prints through texts(), the catalogue it was built
// with. The checker itself names no text: it hands out codes (codes.h), and a
// front end renders them here.
//
// Checks run while a catalogue compiles, so that no language can drift from
// another:
// - every field must be given: Format, Form, Message and Name have no
//   default, so a text left out of a language is a compile error;
// - a text's directives must be exactly those of its arguments, in order
//   (%d an int, %s a string, %2X an unsigned byte); a line ends with a line
//   feed, a form and a message hold none; a name holds neither a directive
//   nor a line feed;
// - the messages stand in the order of Code, each naming its code, so that
//   none can be given for another.

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

// Never defined: reaching a call to one while a catalogue compiles fails the
// build, naming the broken rule.
void formatDoesNotMatchItsArguments();
void nameHoldsADirectiveOrLineFeed();

// True iff the directives of text are expected[0, count) in order and the
// text holds a line feed exactly where the caller wants one: at its end only
// when endsLine, otherwise nowhere.
constexpr bool directivesAre(const char* text, const Directive* expected, int count,
                             bool endsLine = true) {
  int found = 0;
  const char* at = text;
  for (; *at != '\0'; ++at) {
    if (*at == '\n' && !endsLine) return false;
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
  return found == count && (!endsLine || (at != text && at[-1] == '\n'));
}

// The directives of the values a code's message shows.
struct ValueDirectives {
  Directive directives[2];
  int count;
};

constexpr ValueDirectives directivesOf(Values values) {
  switch (values) {
    case Values::none: return {{}, 0};
    case Values::number: return {{Directive::integer}, 1};
    case Values::twoNumbers: return {{Directive::integer, Directive::integer}, 2};
    case Values::eventName: return {{Directive::string}, 1};
    case Values::statusByte: return {{Directive::hexByte}, 1};
    case Values::fileName: return {{Directive::string}, 1};
  }
  return {{}, 0};
}

void messageDoesNotMatchItsCode();

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

// The start of a diagnostic line, before its message: an error or a warning
// at an offset, or a file error. The form follows from the code's severity.
template <typename... Args>
struct Form {
  consteval Form(const char* form) : text(form) {
    constexpr text_check::Directive expected[] = {text_check::directiveOf<Args>()...,
                                                  text_check::Directive::integer};
    if (!text_check::directivesAre(form, expected, sizeof...(Args), false)) {
      text_check::formatDoesNotMatchItsArguments();
    }
  }
  const char* text;
};

// What one code says, in one language: the message printed after the form
// (its directives those of the code's values, no line feed), the rule behind
// it, and what readers commonly do with a file that breaks it.
struct Message {
  consteval Message(Code messageCode, const char* messageText, const char* ruleText,
                    const char* readersText)
      : code(messageCode), text(messageText), rule(ruleText), readers(readersText) {
    const text_check::ValueDirectives values = text_check::directivesOf(codeInfo(code).values);
    if (!text_check::directivesAre(text, values.directives, values.count, false) ||
        !text_check::isPlainName(rule) || !text_check::isPlainName(readers)) {
      text_check::messageDoesNotMatchItsCode();
    }
  }
  Code code;
  const char* text;
  const char* rule;
  const char* readers;
};

// The message of a meta event whose data length is not the one its type
// requires, for each required length.
struct LengthMessage {
  consteval LengthMessage(const char* messageText) : text(messageText) {
    constexpr text_check::Directive expected[] = {text_check::Directive::string};
    if (!text_check::directivesAre(text, expected, 1, false)) {
      text_check::formatDoesNotMatchItsArguments();
    }
  }
  const char* text;
};

// Every code's message, in the order of Code: a message left out has no
// default, so the catalogue does not compile; one out of order fails the
// static_assert of messagesInCodeOrder beside each catalogue.
struct Messages {
  const Message& operator[](Code code) const { return all[static_cast<std::size_t>(code)]; }
  Message all[kCodeCount];
};

constexpr bool messagesInCodeOrder(const Messages& messages) {
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    if (static_cast<std::size_t>(messages.all[i].code) != i) return false;
  }
  return true;
}

struct Texts {
  // Banner and usage: the program's name as installed is the argument.
  Format<const char*> banner;
  // Before and after each file; the file name as given is the argument.
  Format<const char*> progress;
  Format<const char*> conforms;
  Format<const char*> doesNotConform;

  // A line that could not be written, said after the last one.
  Format<> outputLost;
  Format<> diagnosticsLost;

  // The three forms of a diagnostic line: form, message, line feed.
  Form<int> errorAt;
  Form<int> warningAt;
  Form<> fileError;

  Messages messages;
  // The meta-length-fixed message for each required length, 0 to 5 bytes;
  // the first stands for them all in messages.
  LengthMessage metaLengthMustBe[6];

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

// The catalogues. Japanese is built in the encoding of the program that links
// it: CP932 for quelder, UTF-8 everywhere else.
const Texts& japaneseTexts();
const Texts& englishTexts();

// The catalogue this command-line program prints with.
const Texts& texts();
