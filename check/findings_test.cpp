// SPDX-License-Identifier: MIT
// Looking for findings changes nothing of what the reference program says:
// the verdict and the diagnostics before the first error are the same, and
// the check reads past that error only where its grade allows. And the fast
// path cannot hide a finding: asked for it, the check finds the same either
// way, every high data byte of a long run of notes included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "check/check_file.h"
#include "tests/support/collected_diagnostics.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes chunkOf(const char* type, const Bytes& data) {
  const auto size = static_cast<std::uint32_t>(data.size());
  Bytes out(8 + data.size());
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(type[i]);
    out[4 + i] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
  }
  std::copy(data.begin(), data.end(), out.begin() + 8);
  return out;
}

// A header of 96 ticks per quarter note and a track chunk for each body.
Bytes smfOf(std::uint8_t format, const std::vector<Bytes>& tracks, const Bytes& between = {}) {
  Bytes out = chunkOf("MThd", {0, format, 0, static_cast<std::uint8_t>(tracks.size()), 0, 96});
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    if (i == 1) out.insert(out.end(), between.begin(), between.end());
    const Bytes track = chunkOf("MTrk", tracks[i]);
    out.insert(out.end(), track.begin(), track.end());
  }
  return out;
}

struct Findings {
  bool conforms = false;
  std::vector<Diagnostic> diagnostics;
};

Findings checkForFindings(const Bytes& image, EventPath path = EventPath::fast) {
  Findings out;
  const DiagnosticSink sink{[](void* context, const Diagnostic& diagnostic) {
                              static_cast<std::vector<Diagnostic>*>(context)->push_back(diagnostic);
                            },
                            &out.diagnostics};
  out.conforms = checkImage(image.data(), static_cast<std::uint32_t>(image.size()), sink, path,
                            CheckMode::findings);
  return out;
}

bool isReferences(const Diagnostic& d) {
  return !d.afterFirstError && codeInfo(d.code).severity != Severity::beyondReference;
}

bool endsTheCheck(const Diagnostic& d) {
  const CodeInfo& info = codeInfo(d.code);
  return info.severity == Severity::fileError ||
         (info.severity == Severity::error && info.grade == Grade::structure);
}

// Small files that reach most rules, changed at random from a fixed seed.
std::vector<Bytes> mutatedImages(std::size_t count) {
  const std::vector<Bytes> seeds = {
      smfOf(1, {{0x00, 0xFF, 0x02, 0x03, 0x28, 0x43, 0x29, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02,
                 0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00},
                {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xB0, 0x07, 0x64, 0x00,
                 0xC0, 0x05, 0x00, 0xFF, 0x05, 0x03, 0x6C, 0x61, 0x00, 0x00, 0xFF, 0x2F, 0x00}}),
      smfOf(0, {{0x00, 0xFF, 0x54, 0x05, 0x01, 0x02, 0x03, 0x04, 0x05, 0x00, 0xF0, 0x03, 0x7E,
                 0x01, 0xF7, 0x00, 0x90, 0x3C, 0x40, 0x3C, 0x3E, 0x40, 0x00, 0xFF, 0x2F, 0x00}}),
      smfOf(1,
            {{0x00, 0xFF, 0x2F, 0x00},
             {0x00, 0xFF, 0x59, 0x02, 0x03, 0x00, 0x00, 0xFF, 0x20, 0x01, 0x02, 0x00, 0xE0, 0x00,
              0x40, 0x00, 0xFF, 0x2F, 0x00}},
            chunkOf("XFih", {0x01, 0x02}))};
  std::mt19937 random(22);
  std::vector<Bytes> images;
  for (std::size_t i = 0; i < count; ++i) {
    Bytes image = seeds[i % seeds.size()];
    for (std::uint32_t edits = 1 + random() % 3; edits > 0; --edits) {
      const std::size_t at = random() % image.size();
      switch (random() % 3) {
        case 0: image[at] = static_cast<std::uint8_t>(random()); break;
        case 1: image.insert(image.begin() + at, static_cast<std::uint8_t>(random())); break;
        default: image.erase(image.begin() + at); break;
      }
    }
    images.push_back(image);
  }
  return images;
}

TEST(Findings, LeaveTheReferenceVerdictAndDiagnosticsAsTheyWere) {
  int readOn = 0;  // images with a diagnostic past the first error
  for (const Bytes& image : mutatedImages(4000)) {
    const CheckOutcome reference = checkCollecting(image);
    const Findings findings = checkForFindings(image);
    SCOPED_TRACE(describe(reference));
    EXPECT_EQ(findings.conforms, reference.conforms);
    std::vector<CollectedDiagnostic> references;
    for (const Diagnostic& d : findings.diagnostics) {
      if (isReferences(d)) references.push_back({d, d.fileName != nullptr ? d.fileName : ""});
    }
    ASSERT_EQ(references, reference.diagnostics);
    // Nothing after a structure error; everything after the first error marked.
    bool errorSeen = false;
    for (std::size_t i = 0; i < findings.diagnostics.size(); ++i) {
      const Diagnostic& d = findings.diagnostics[i];
      EXPECT_EQ(d.afterFirstError, errorSeen) << codeInfo(d.code).name;
      if (endsTheCheck(d)) {
        EXPECT_EQ(i + 1, findings.diagnostics.size()) << codeInfo(d.code).name;
      }
      if (d.afterFirstError) ++readOn;
      const Severity severity = codeInfo(d.code).severity;
      errorSeen = errorSeen || severity == Severity::error || severity == Severity::fileError;
    }
  }
  EXPECT_GT(readOn, 50);  // the images do reach past first errors
}

// A long run of notes under running status, one data byte of which is high:
// what the fast path takes eight events at a time.
TEST(Findings, TheFastPathCannotHideAHighDataByte) {
  std::mt19937 random(2222);
  for (int i = 0; i < 500; ++i) {
    const std::size_t notes = 8 + random() % 80;
    Bytes events = {0x00, 0x90, 0x3C, 0x40};
    for (std::size_t n = 0; n < notes; ++n) {
      events.insert(events.end(), {static_cast<std::uint8_t>(random() % 0x80), 0x3C, 0x40});
    }
    // The velocity of one note after the first, with its top bit set (a high
    // note number would be a status byte).
    const std::size_t note = random() % notes;
    const std::size_t byte = 4 + 3 * note + 2;
    events[byte] = static_cast<std::uint8_t>(0x80 | random());
    events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
    const Bytes image = smfOf(0, {events});
    SCOPED_TRACE("image " + std::to_string(i));
    for (const EventPath path : {EventPath::fast, EventPath::general}) {
      const Findings found = checkForFindings(image, path);
      EXPECT_TRUE(found.conforms);
      ASSERT_EQ(found.diagnostics.size(), 1u);
      const Diagnostic& d = found.diagnostics[0];
      EXPECT_EQ(d.code, Code::dataByteHigh);
      EXPECT_EQ(d.offset, 22 + byte);
      EXPECT_EQ(d.location.event, 2 + note);
      EXPECT_EQ(d.location.eventOffset, 22 + 4 + 3 * note);
    }
  }
}

}  // namespace
