// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/check_file.h"
#include "check/diagnostic.h"

// What a check found, kept whole for comparison: every field of every
// diagnostic, the file name as a copy.
struct CollectedDiagnostic {
  Diagnostic value;
  std::string fileName;

  bool operator==(const CollectedDiagnostic& other) const {
    const Diagnostic& a = value;
    const Diagnostic& b = other.value;
    return a.code == b.code && a.offset == b.offset && a.location.track == b.location.track &&
           a.location.event == b.location.event && a.location.tick == b.location.tick &&
           a.location.eventOffset == b.location.eventOffset && a.numbers[0] == b.numbers[0] &&
           a.numbers[1] == b.numbers[1] && a.name.kind == b.name.kind && a.name.key == b.name.key &&
           fileName == other.fileName;
  }
};

struct CheckOutcome {
  bool conforms = false;
  std::vector<CollectedDiagnostic> diagnostics;

  bool operator==(const CheckOutcome&) const = default;
};

inline DiagnosticSink collectingSink(std::vector<CollectedDiagnostic>* out) {
  return {[](void* context, const Diagnostic& diagnostic) {
            static_cast<std::vector<CollectedDiagnostic>*>(context)->push_back(
                {diagnostic, diagnostic.fileName != nullptr ? diagnostic.fileName : ""});
          },
          out};
}

inline CheckOutcome checkCollecting(const std::vector<std::uint8_t>& image,
                                    EventPath path = EventPath::fast,
                                    CheckMode mode = CheckMode::reference) {
  CheckOutcome outcome;
  outcome.conforms = checkImage(image.data(), static_cast<std::uint32_t>(image.size()),
                                collectingSink(&outcome.diagnostics), path, mode);
  return outcome;
}

// One line per diagnostic, for failure messages: code, offset and location.
inline std::string describe(const CheckOutcome& outcome) {
  std::string text = outcome.conforms ? "conforms\n" : "does not conform\n";
  for (const CollectedDiagnostic& d : outcome.diagnostics) {
    const Diagnostic& v = d.value;
    text += std::string(codeInfo(v.code).name) + " at " + std::to_string(v.offset) + ", track " +
            std::to_string(v.location.track) + ", event " + std::to_string(v.location.event) +
            ", tick " + std::to_string(v.location.tick) + ", event offset " +
            std::to_string(v.location.eventOffset) + "\n";
  }
  return text;
}
