// SPDX-License-Identifier: MIT
#include "bench_images.h"

#include <cstdlib>
#include <initializer_list>

namespace {

// Appends the fields of a file to one image.
class ImageWriter {
 public:
  explicit ImageWriter(std::uint32_t reserve) { image_.reserve(reserve); }

  void bytes(std::initializer_list<std::uint8_t> values) {
    image_.insert(image_.end(), values.begin(), values.end());
  }
  void byte(std::uint8_t value) { image_.push_back(value); }
  void be16(std::uint16_t value) { bytes({std::uint8_t(value >> 8), std::uint8_t(value)}); }
  void be32(std::uint32_t value) {
    bytes({std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
           std::uint8_t(value)});
  }
  // Shortest form, most significant group first.
  void varLen(std::uint32_t value) {
    std::uint8_t groups[4];
    int count = 0;
    do {
      groups[count++] = value & 0x7F;
      value >>= 7;
    } while (value != 0);
    while (count > 1) byte(groups[--count] | 0x80);
    byte(groups[0]);
  }

  void header(std::uint16_t format, std::uint16_t tracks) {
    bytes({'M', 'T', 'h', 'd'});
    be32(6);
    be16(format);
    be16(tracks);
    be16(480);
  }
  // Starts an MTrk chunk whose length is filled in by endTrack.
  void beginTrack() {
    bytes({'M', 'T', 'r', 'k'});
    lengthAt_ = image_.size();
    be32(0);
  }
  void endOfTrack() { bytes({0x00, 0xFF, 0x2F, 0x00}); }
  void endTrack() {
    const std::uint32_t length = static_cast<std::uint32_t>(image_.size() - lengthAt_ - 4);
    for (int i = 0; i < 4; ++i) image_[lengthAt_ + i] = std::uint8_t(length >> (24 - 8 * i));
  }

  // A text meta event at delta 0 whose whole size is exactly `size` bytes
  // (at least 8): pads a track to a chosen length.
  void paddingText(std::uint32_t size) {
    for (;;) {
      // Some sizes fall between two length-field widths; an empty text event
      // first moves off them.
      for (std::uint32_t length = size - 4; length + 8 > size; --length) {
        if (3 + varLenSize(length) + length == size) {
          bytes({0x00, 0xFF, 0x01});
          varLen(length);
          image_.insert(image_.end(), length, ' ');
          return;
        }
      }
      bytes({0x00, 0xFF, 0x01, 0x00});
      size -= 4;
    }
  }

  std::uint32_t size() const { return static_cast<std::uint32_t>(image_.size()); }
  Image take() { return std::move(image_); }

  static std::uint32_t varLenSize(std::uint32_t value) {
    std::uint32_t count = 1;
    while (value >= 0x80) {
      value >>= 7;
      ++count;
    }
    return count;
  }

 private:
  Image image_;
  std::size_t lengthAt_ = 0;
};

// A small linear congruential generator: the same numbers on every platform.
class Numbers {
 public:
  explicit Numbers(std::uint32_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_;
};

constexpr std::uint32_t kEndOfTrackSize = 4;       // 00 FF 2F 00
constexpr std::uint32_t kLargestChannelEvent = 6;  // 2-byte delta, status, 2 data bytes

// One channel event: mostly Note On/Off pairs under running status, with a
// fresh status byte now and then (control change, program change, bend).
void channelEvent(ImageWriter* out, Numbers* numbers, std::uint8_t channel, std::uint32_t index) {
  const std::uint32_t r = numbers->next();
  // Most delta times fit one byte; one in sixteen needs two.
  out->varLen((r & 0xF) == 0 ? 0x80 + (r >> 4 & 0x3FF) : (r >> 4 & 0x3F));
  const std::uint8_t note = 36 + (r >> 12) % 48;
  switch (index % 64) {
    case 0: out->bytes({std::uint8_t(0x90 | channel), note, 0x64}); break;
    case 20: out->bytes({std::uint8_t(0xB0 | channel), 0x07, std::uint8_t(r >> 20 & 0x7F)}); break;
    case 21: out->bytes({std::uint8_t(0x90 | channel), note, 0x50}); break;
    case 40: out->bytes({std::uint8_t(0xC0 | channel), std::uint8_t(r >> 20 & 0x7F)}); break;
    case 41: out->bytes({std::uint8_t(0xE0 | channel), 0x00, 0x40}); break;
    case 42: out->bytes({std::uint8_t(0x90 | channel), note, 0x40}); break;
    default: out->bytes({note, std::uint8_t(index & 1 ? 0x00 : 0x60)}); break;  // running status
  }
}

// A delta time, mostly one byte, one in sixteen two.
void deltaTime(ImageWriter* out, std::uint32_t r) {
  out->varLen((r & 0xF) == 0 ? 0x80 + (r >> 4 & 0x3FF) : (r >> 4 & 0x3F));
}

// A text-like meta event of 1 to 8 bytes of letters.
void textEvent(ImageWriter* out, std::uint8_t type, std::uint32_t r) {
  const std::uint8_t length = 1 + (r >> 9) % 8;
  out->bytes({0xFF, type, length});
  for (std::uint8_t i = 0; i < length; ++i) out->byte('a' + (r >> i) % 26);
}

// Parameter changes of the GS and XG sound sets, as songs send them.
void soundSetSysEx(ImageWriter* out, std::uint32_t r) {
  if (r & 1) {
    out->bytes({0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, std::uint8_t(r >> 8 & 7),
                0x00, 0xF7});  // GS reverb macro
  } else {
    out->bytes({0xF0, 0x08, 0x43, 0x10, 0x4C, 0x02, 0x01, 0x00, std::uint8_t(r >> 8 & 0x7F),
                0xF7});  // XG reverb type
  }
}

// A note of a music track. A meta or SysEx event cancels running status, so
// the note after one carries its status byte again (*statusSent false).
void noteEvent(ImageWriter* out, std::uint32_t r, std::uint8_t channel, bool on, bool* statusSent) {
  const std::uint8_t note = 36 + (r >> 12) % 48;
  if (!*statusSent) out->byte(0x90 | channel);
  out->bytes({note, std::uint8_t(on ? 0x40 + (r >> 20 & 0x3F) : 0x00)});
  *statusSent = true;
}

constexpr std::uint32_t kLargestMusicEvent = 16;  // a 2-byte delta and a GS SysEx

// One event of a real-shaped music track.
void musicEvent(ImageWriter* out, Numbers* numbers, std::uint8_t channel, std::uint32_t index,
                bool* statusSent) {
  const std::uint32_t r = numbers->next();
  deltaTime(out, r);
  if (index % 4096 == 4095) {
    soundSetSysEx(out, r);
    *statusSent = false;
    return;
  }
  const std::uint8_t value = r >> 20 & 0x7F;
  switch (index % 64) {
    case 12: textEvent(out, 0x05, r); break;                                  // lyric
    case 30: out->bytes({std::uint8_t(0xB0 | channel), 0x0B, value}); break;  // expression
    case 44: out->bytes({std::uint8_t(0xE0 | channel), 0x00, value}); break;  // pitch bend
    case 52: textEvent(out, 0x01, r); break;
    default: noteEvent(out, r, channel, index & 1, statusSent); return;
  }
  *statusSent = false;  // the next note carries its status byte
}

// One event of a busy music track: notes under running status, broken every
// 5 to 9 events by a controller or a pitch bend, which brings the next note's
// status byte back; one delta time in ten takes two bytes.
void busyEvent(ImageWriter* out, Numbers* numbers, std::uint8_t channel, std::uint32_t index,
               bool* statusSent, std::uint32_t* untilBreak) {
  const std::uint32_t r = numbers->next();
  out->varLen(r % 10 == 0 ? 0x80 + (r >> 4 & 0x3FF) : (r >> 4 & 0x3F));
  if (*untilBreak > 0) {
    --*untilBreak;
    noteEvent(out, r, channel, index & 1, statusSent);
    return;
  }
  *untilBreak = 4 + (r >> 16) % 5;
  const std::uint8_t value = r >> 20 & 0x7F;
  const std::uint8_t pedal = value & 0x40 ? 0x7F : 0x00;
  switch (r >> 13 & 3) {
    case 0: out->bytes({std::uint8_t(0xB0 | channel), 0x01, value}); break;  // modulation
    case 1: out->bytes({std::uint8_t(0xB0 | channel), 0x0B, value}); break;  // expression
    case 2: out->bytes({std::uint8_t(0xB0 | channel), 0x40, pedal}); break;  // sustain
    default: out->bytes({std::uint8_t(0xE0 | channel), std::uint8_t(r >> 8 & 0x7F), value}); break;
  }
  *statusSent = false;  // the next note carries its status byte
}

// One event of a karaoke track: seven notes in eight are sung, each after
// its syllable.
void karaokeEvent(ImageWriter* out, Numbers* numbers, std::uint8_t channel, std::uint8_t textType,
                  std::uint32_t index, bool* statusSent) {
  const std::uint32_t r = numbers->next();
  const bool on = (index & 1) == 0;
  if (on && index % 16 != 0) {
    out->byte(0x00);
    textEvent(out, textType, r);
    *statusSent = false;
  }
  deltaTime(out, r);
  noteEvent(out, r, channel, on, statusSent);
}

// Tempo changes and markers, after the track name and the signatures.
void conductorTrack(ImageWriter* out, std::uint32_t size) {
  const std::uint32_t trackEnd = out->size() + 8 + size;
  out->beginTrack();
  out->bytes({0x00, 0xFF, 0x03, 0x04, 's', 'o', 'n', 'g'});
  out->bytes({0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
  out->bytes({0x00, 0xFF, 0x59, 0x02, 0x00, 0x00});
  Numbers numbers(99);
  for (std::uint32_t index = 0; trackEnd - out->size() > kEndOfTrackSize + 4 + 128 + 16; ++index) {
    const std::uint32_t r = numbers.next();
    out->varLen(0x100 + (r & 0x3FFF));
    if (index % 4 == 3) {
      textEvent(out, 0x06, r);  // marker
    } else {
      out->bytes({0xFF, 0x51, 0x03, 0x07, std::uint8_t(r >> 8), std::uint8_t(r >> 16)});
    }
  }
  out->paddingText(trackEnd - out->size() - kEndOfTrackSize);
  out->endOfTrack();
  out->endTrack();
}

// Fills a format-1 image to exactly totalSize: the conductor track takes one
// part in a hundred, `tracks` tracks of event(out, numbers, track, index,
// &statusSent) share the rest.
template <typename Event>
Image songImage(std::uint32_t totalSize, int tracks, Event event) {
  ImageWriter out(totalSize);
  out.header(1, static_cast<std::uint16_t>(tracks + 1));
  conductorTrack(&out, totalSize / 100);
  Numbers numbers(4242);
  const std::uint32_t musicStart = out.size();
  for (int t = 0; t < tracks; ++t) {
    const std::uint32_t trackEnd =
        t + 1 == tracks ? totalSize : out.size() + (totalSize - musicStart) / tracks;
    out.beginTrack();
    bool statusSent = false;
    for (std::uint32_t index = 0;
         trackEnd - out.size() > kEndOfTrackSize + 4 + 128 + kLargestMusicEvent; ++index) {
      event(&out, &numbers, t, index, &statusSent);
    }
    out.paddingText(trackEnd - out.size() - kEndOfTrackSize);
    out.endOfTrack();
    out.endTrack();
  }
  return out.take();
}

}  // namespace

Image realShapedImage(std::uint32_t totalSize, int tracks) {
  return songImage(
      totalSize, tracks,
      [](ImageWriter* out, Numbers* numbers, int track, std::uint32_t index, bool* statusSent) {
        musicEvent(out, numbers, std::uint8_t(track & 0x0F), index, statusSent);
      });
}

Image busyImage(std::uint32_t totalSize, int tracks) {
  return songImage(totalSize, tracks,
                   [untilBreak = std::uint32_t{0}](ImageWriter* out, Numbers* numbers, int track,
                                                   std::uint32_t index, bool* statusSent) mutable {
                     if (index == 0) untilBreak = 6;
                     busyEvent(out, numbers, std::uint8_t(track & 0x0F), index, statusSent,
                               &untilBreak);
                   });
}

Image karaokeImage(std::uint32_t totalSize, int tracks) {
  // Karaoke files carry their syllables as lyrics or as text events.
  return songImage(
      totalSize, tracks,
      [](ImageWriter* out, Numbers* numbers, int track, std::uint32_t index, bool* statusSent) {
        karaokeEvent(out, numbers, std::uint8_t(track & 0x0F), track % 2 == 0 ? 0x05 : 0x01, index,
                     statusSent);
      });
}

Image denseChannelImage(std::uint32_t totalSize, int tracks) {
  ImageWriter out(totalSize);
  out.header(1, static_cast<std::uint16_t>(tracks));
  Numbers numbers(12345);
  for (int t = 0; t < tracks; ++t) {
    // The last track takes what the division leaves over.
    const std::uint32_t trackEnd =
        t + 1 == tracks ? totalSize : out.size() + (totalSize - 14) / tracks;
    out.beginTrack();
    const std::uint8_t channel = static_cast<std::uint8_t>(t & 0x0F);
    std::uint32_t index = 0;
    while (trackEnd - out.size() > kEndOfTrackSize + 4 + 128 + kLargestChannelEvent) {
      channelEvent(&out, &numbers, channel, index++);
    }
    out.paddingText(trackEnd - out.size() - kEndOfTrackSize);
    out.endOfTrack();
    out.endTrack();
  }
  return out.take();
}

Image sysExImage(std::uint32_t totalSize, std::uint32_t largestMessage) {
  ImageWriter out(totalSize);
  out.header(0, 1);
  out.beginTrack();
  Numbers numbers(777);
  // Sizes from the largest down to a kilobyte, every fourth in the escape form.
  const std::uint32_t sizes[] = {largestMessage, largestMessage / 4, 65536, 1024};
  std::uint32_t index = 0;
  for (;;) {
    const std::uint32_t length = sizes[index % 4];
    const std::uint32_t eventSize = 2 + ImageWriter::varLenSize(length) + length;
    if (out.size() + eventSize + 128 + kEndOfTrackSize > totalSize) break;
    const bool escape = index % 4 == 3;
    out.bytes({0x00, std::uint8_t(escape ? 0xF7 : 0xF0)});
    out.varLen(length);
    for (std::uint32_t i = 0; i + 1 < length; ++i) out.byte(numbers.next() & 0x7F);
    out.byte(0xF7);
    ++index;
  }
  // Fill up with 1 KiB messages, then pad exactly.
  while (out.size() + 1024 + 4 + 128 + kEndOfTrackSize <= totalSize) {
    out.bytes({0x00, 0xF0, 0x88, 0x00});
    for (int i = 0; i < 1023; ++i) out.byte(0x11);
    out.byte(0xF7);
  }
  out.paddingText(totalSize - out.size() - kEndOfTrackSize);
  out.endOfTrack();
  out.endTrack();
  return out.take();
}

Image metaEventImage(std::uint32_t events) {
  ImageWriter out(events * 10);
  out.header(0, 1);
  out.beginTrack();
  for (std::uint32_t i = 0; i < events; ++i) {
    out.varLen(i % 7 == 0 ? 0 : i % 200);
    switch (i % 10) {
      case 0: out.bytes({0xFF, 0x01, 0x05, 'b', 'e', 'n', 'c', 'h'}); break;
      case 1: out.bytes({0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}); break;
      case 2: out.bytes({0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}); break;
      case 3: out.bytes({0xFF, 0x59, 0x02, 0xFD, 0x01}); break;
      case 4: out.bytes({0xFF, 0x05, 0x02, 'l', 'a'}); break;
      case 5: out.bytes({0xFF, 0x06, 0x04, 'm', 'a', 'r', 'k'}); break;
      case 6: out.bytes({0xFF, 0x20, 0x01, 0x03}); break;
      case 7: out.bytes({0xFF, 0x07, 0x03, 'c', 'u', 'e'}); break;
      case 8: out.bytes({0xFF, 0x7F, 0x03, 0x00, 0x00, 0x41}); break;
      default: out.bytes({0xFF, 0x03, 0x00}); break;  // an empty name
    }
  }
  out.endOfTrack();
  out.endTrack();
  return out.take();
}

Image smallImage(std::uint32_t variant) {
  ImageWriter out(256);
  out.header(1, 2);
  out.beginTrack();  // the tempo map
  out.bytes({0x00, 0xFF, 0x03, 0x05, 't', 'e', 'm', 'p', 'o'});
  out.bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
  out.bytes({0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
  out.endOfTrack();
  out.endTrack();
  out.beginTrack();
  out.bytes({0x00, 0xC0, std::uint8_t(variant & 0x7F)});
  for (std::uint32_t i = 0; i < 24 + variant % 16; ++i) {
    const std::uint8_t note = 48 + (variant + i) % 24;
    out.bytes({0x00, 0x90, note, 0x64, 0x60, note, 0x00});
  }
  out.endOfTrack();
  out.endTrack();
  return out.take();
}
