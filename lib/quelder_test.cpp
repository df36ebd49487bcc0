// SPDX-License-Identifier: MIT
// The C library: what a check hands back, where in the music it says each
// diagnostic is, bad arguments, and many threads at once.
#include "quelder/quelder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "e2e/smf_builder.h"

namespace {

// One diagnostic, every field, as a comparable value.
struct Seen {
  std::string code;
  quelder_severity severity;
  quelder_grade grade;
  std::int64_t offset;
  std::uint32_t track;
  std::uint32_t event;
  std::uint64_t tick;
  std::int64_t eventOffset;
  std::string message;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& d, std::ostream* out) {
  *out << d.code << " severity " << d.severity << " grade " << d.grade << " at " << d.offset
       << ", track " << d.track << ", event " << d.event << ", tick " << d.tick
       << ", event offset " << d.eventOffset << ": " << d.message;
}

struct Outcome {
  bool conforms;
  std::vector<Seen> diagnostics;
  bool operator==(const Outcome&) const = default;
};

Outcome take(quelder_result* result) {
  Outcome outcome{quelder_result_conforms(result) != 0, {}};
  for (std::size_t i = 0; i < quelder_result_diagnostic_count(result); ++i) {
    const quelder_diagnostic* d = quelder_result_diagnostic(result, i);
    outcome.diagnostics.push_back({d->code, d->severity, d->grade, d->offset, d->track, d->event,
                                   d->tick, d->event_offset, d->message});
  }
  EXPECT_EQ(quelder_result_diagnostic(result, quelder_result_diagnostic_count(result)), nullptr);
  quelder_result_free(result);
  return outcome;
}

Outcome check(const Bytes& image, quelder_language language = QUELDER_LANGUAGE_EN) {
  const quelder_options options{language};
  return take(quelder_check_buffer(image.data(), image.size(), &options));
}

// A track whose note lasts 0x60 ticks, then one event more.
Bytes noteThen(const Bytes& last) {
  return concat({hex("00 90 3C 40 60 80 3C 00"), last});
}

struct LocationCase {
  std::string name;
  Bytes image;
  Seen expected;
};

// Offsets: header 0-13, first track chunk at 14 (data at 22); the field's
// offset is the reference program's, the event's where its delta time starts.
TEST(Library, LocatesEachDiagnosticInTheMusic) {
  const Bytes firstTrack = track(endOfTrack());  // 12 bytes: the second chunk starts at 26
  const std::vector<LocationCase> cases = {
      {"tempo outside the first track: track 2, event 3, tick 0x60",
       smf(1, {endOfTrack(), noteThen(hex("00 FF 51 03 07 A1 20 00 FF 2F 00"))}),
       {"not-in-first-track", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_CONTENT, 46, 2, 3, 0x60, 42,
        "in SMF format 1, the Tempo meta event must be placed in the first track."}},
      {"a delta time past the end: track 1, event 3",
       concat({header(0, 1), chunk("MTrk", noteThen(hex("81 81 81 81 01")))}),
       {"delta-time", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_STRUCTURE, 34, 1, 3, 0x60, 30,
        "the delta time is invalid."}},
      {"no End of Track: the event that was due",
       concat({header(0, 1), chunk("MTrk", hex("00 90 3C 40 83 00 80 3C 00"))}),
       {"end-of-track-missing", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_STRUCTURE, 29, 1, 3, 0x180,
        31, "at the end of the track there is no End of Track meta event."}},
      {"an unknown meta type in the first track",
       smf(0, {hex("00 FF 60 01 00 00 FF 2F 00")}),
       {"unknown-meta-type", QUELDER_SEVERITY_WARNING, QUELDER_GRADE_NONE, 25, 1, 1, 0, 22,
        "the kind of meta event is not recognised."}},
      {"the track count: outside any track",
       concat({header(1, 2), firstTrack}),
       {"track-count", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_CONTENT, 10, 0, 0, 0, -1,
        "the number of tracks is wrong. The header block gave 2 tracks, but there are 1."}},
  };
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = check(c.image);
    ASSERT_FALSE(outcome.diagnostics.empty());
    EXPECT_EQ(outcome.diagnostics.back(), c.expected);
    EXPECT_EQ(outcome.conforms, c.expected.severity == QUELDER_SEVERITY_WARNING);
  }
}

TEST(Library, MessagesInTheLanguageAsked) {
  const Bytes image = text("RIFF");
  EXPECT_EQ(check(image, QUELDER_LANGUAGE_EN).diagnostics.at(0).message,
            "the header chunk is malformed.");
  EXPECT_EQ(check(image, QUELDER_LANGUAGE_JA).diagnostics.at(0).message,
            "ヘッダチャンク形式が不正です。");
}

TEST(Library, BadArgumentsGetAnAnswer) {
  const Outcome empty = take(quelder_check_buffer(nullptr, 0, nullptr));
  ASSERT_EQ(empty.diagnostics.size(), 1u);
  EXPECT_EQ(empty.diagnostics[0].code, "header-malformed");
  EXPECT_EQ(empty.diagnostics[0].offset, 0);

  // Over 4 GiB - 2 bytes: answered without a byte being read.
  const std::uint8_t byte = 0;
  const Outcome huge = take(quelder_check_buffer(&byte, std::size_t{0xFFFFFFFE}, nullptr));
  ASSERT_EQ(huge.diagnostics.size(), 1u);
  EXPECT_EQ(huge.diagnostics[0].code, "memory-failed");
  EXPECT_EQ(huge.diagnostics[0].severity, QUELDER_SEVERITY_FILE_ERROR);
  EXPECT_EQ(huge.diagnostics[0].offset, -1);

  const Outcome missing = take(quelder_check_file("/nonexistent/quelder/file.mid", nullptr));
  ASSERT_EQ(missing.diagnostics.size(), 1u);
  EXPECT_EQ(missing.diagnostics[0].code, "open-failed");
  EXPECT_EQ(missing.diagnostics[0].message, "could not open /nonexistent/quelder/file.mid.");
  EXPECT_FALSE(missing.conforms);

  quelder_result_free(nullptr);
}

TEST(Library, TheReferenceTableNamesEveryCodeOnce) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < quelder_code_count(); ++i) {
    for (const quelder_language language : {QUELDER_LANGUAGE_EN, QUELDER_LANGUAGE_JA}) {
      const quelder_code_info* info = quelder_code(i, language);
      ASSERT_NE(info, nullptr);
      EXPECT_GT(std::string(info->explanation).size(), 10u) << info->code;
      EXPECT_GT(std::string(info->readers).size(), 10u) << info->code;
    }
    names.emplace_back(quelder_code(i, QUELDER_LANGUAGE_EN)->code);
  }
  EXPECT_EQ(quelder_code(quelder_code_count(), QUELDER_LANGUAGE_EN), nullptr);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  EXPECT_STREQ(quelder_version(), QUELDER_VERSION);
}

// Images that reach many diagnostics: small valid files with bytes changed,
// inserted, removed and cut, from a fixed seed.
std::vector<Bytes> variedImages(std::size_t count) {
  const std::vector<Bytes> seeds = {
      smf(1, {hex("00 FF 58 04 04 02 18 08 00 FF 51 03 07 A1 20 00 FF 2F 00"),
              noteThen(hex("00 B0 07 64 00 C0 05 00 FF 05 03 6C 61 00 00 FF 2F 00"))}),
      smf(0, {hex("00 FF 02 03 28 43 29 00 F0 03 7E 01 F7 00 90 3C 40 3C 3E 40 00 FF 2F 00")}),
      concat({header(1, 2), chunk("XFih", hex("01 02")), track(endOfTrack()),
              track(hex("00 FF 59 02 03 00 00 E0 00 40 00 FF 2F 00"))})};
  std::mt19937 random(2026);
  std::vector<Bytes> images;
  for (std::size_t i = 0; i < count; ++i) {
    Bytes image = seeds[i % seeds.size()];
    for (std::uint32_t edits = random() % 4; edits > 0; --edits) {
      const std::size_t at = random() % (image.size() + 1);
      switch (random() % 4) {
        case 0:
          if (at < image.size()) image[at] = static_cast<std::uint8_t>(random());
          break;
        case 1: image.insert(image.begin() + at, static_cast<std::uint8_t>(random())); break;
        case 2:
          if (at < image.size()) image.erase(image.begin() + at);
          break;
        default: image.resize(at); break;
      }
    }
    images.push_back(image);
  }
  return images;
}

// Eight threads check the same images, each in its own order, and find
// exactly what one thread finds.
TEST(Library, ThreadsCheckingAtOnceFindWhatOneThreadFinds) {
  const std::vector<Bytes> images = variedImages(3000);
  std::vector<Outcome> expected;
  for (const Bytes& image : images) expected.push_back(check(image));
  const auto kinds = std::count_if(expected.begin(), expected.end(),
                                   [](const Outcome& o) { return o.conforms; });
  EXPECT_GT(kinds, 100);  // both verdicts occur
  EXPECT_LT(kinds, 2900);

  constexpr int kThreads = 8;
  std::vector<std::vector<Outcome>> found(kThreads, std::vector<Outcome>(images.size()));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t k = 0; k < images.size(); ++k) {
        const std::size_t i = (k * 7 + static_cast<std::size_t>(t) * 331) % images.size();
        found[t][i] = check(images[i], QUELDER_LANGUAGE_EN);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (std::size_t i = 0; i < images.size(); ++i) {
      ASSERT_EQ(found[t][i], expected[i]) << "thread " << t << ", image " << i;
    }
  }
}

}  // namespace
