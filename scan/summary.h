// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "scan/record.h"

// Totals of a run by verdict, grade and code, for --summary and for the
// exit status.
class Summary {
 public:
  void add(const Record& record);

  std::uint64_t failing() const { return failing_; }
  // Inputs and files that could not be read.
  std::uint64_t unreadable() const { return unreadable_ + inputErrors_; }

  void appendText(std::string* out) const;

 private:
  struct CodeCount {
    std::uint64_t reference = 0;
    std::uint64_t beyond = 0;
  };

  std::uint64_t files_ = 0;
  std::uint64_t conform_ = 0;
  std::uint64_t conformWithWarnings_ = 0;
  std::uint64_t doNotConform_ = 0;
  std::uint64_t unreadable_ = 0;
  std::uint64_t inputErrors_ = 0;
  std::uint64_t failing_ = 0;
  std::uint64_t grades_[4] = {};  // by quelder_grade
  std::map<std::string, CodeCount> codes_;
};
